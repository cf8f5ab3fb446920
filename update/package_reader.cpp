#include "package_reader.h"

#include "lzma_codec.h"
#include "package_entry_path.h"
#include "package_format.h"

#include <QCryptographicHash>
#include <QFile>
#include <QtEndian>

#include <new>

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

bool readPackageFile(const QString &path, QByteArray *package, QString *error)
{
    if (!package) {
        setError(error, QStringLiteral("invalid arguments"));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
        return false;
    }
    const qint64 size = file.size();
    if (size < PackageFormat::kMinimumFileSize) {
        setError(error, QStringLiteral("%1 is %2 bytes, too short for a package").arg(path).arg(size));
        return false;
    }
    if (size > PackageFormat::kMaxPackageFileSize) {
        setError(error, QStringLiteral("%1 is %2 bytes, too large for a package").arg(path).arg(size));
        return false;
    }
    try {
        QByteArray bytes;
        bytes.resize(int(size));
        qint64 done = 0;
        while (done < size) {
            const qint64 n = file.read(bytes.data() + done, size - done);
            if (n <= 0)
                break;
            done += n;
        }
        if (done != size || file.read(1).size() != 0) {
            setError(error, QStringLiteral("cannot read %1 completely").arg(path));
            return false;
        }
        *package = bytes;
    } catch (const std::bad_alloc &) {
        setError(error, QStringLiteral("out of memory reading %1").arg(path));
        return false;
    }
    return true;
}

bool decodePackage(const QByteArray &package, PackagePayload *payload, QString *error)
{
    using namespace PackageFormat;
    if (!payload) {
        setError(error, QStringLiteral("invalid arguments"));
        return false;
    }
    if (package.size() < kMinimumFileSize) {
        setError(error, QStringLiteral("package of %1 bytes is too short").arg(package.size()));
        return false;
    }

    const char *data = package.constData();
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray::fromRawData(data + kPropertiesOffset, package.size() - kPropertiesOffset),
        QCryptographicHash::Sha1);
    if (digest != QByteArray::fromRawData(data + kDigestOffset, kDigestSize)) {
        setError(error, QStringLiteral("SHA-1 digest does not match the package contents"));
        return false;
    }

    const quint32 unpackedSize = qFromLittleEndian<quint32>(data + kUnpackedSizeOffset);
    if (unpackedSize > kMaxUnpackedSize) {
        setError(error, QStringLiteral("announced payload of %1 bytes exceeds the limit of %2 bytes")
                            .arg(unpackedSize)
                            .arg(kMaxUnpackedSize));
        return false;
    }
    QByteArray bytes;
    QString why;
    if (!LzmaCodec::decode(QByteArray(data + kPropertiesOffset, kPropertiesSize),
                           data + kStreamOffset, package.size() - kStreamOffset, unpackedSize,
                           &bytes, &why)) {
        setError(error, QStringLiteral("cannot decompress the payload: %1").arg(why));
        return false;
    }

    PackagePayload result;
    if (!parsePayload(bytes, &result, &why)) {
        setError(error, QStringLiteral("damaged payload: %1").arg(why));
        return false;
    }
    // Every name is checked before anything is written, so a package with
    // one bad name writes nothing at all.
    for (const PackageEntry &entry : qAsConst(result.entries)) {
        if (!PackageEntryPath::normalize(entry.name, nullptr, &why)) {
            setError(error, why);
            return false;
        }
    }
    *payload = result;
    return true;
}

bool inspectPackage(const QString &path, PackagePayload *payload, QString *error)
{
    QByteArray package;
    return readPackageFile(path, &package, error) && decodePackage(package, payload, error);
}
