#include "package_writer.h"

#include "lzma_codec.h"
#include "package_entry_path.h"
#include "package_format.h"
#include "whole_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <new>

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// The header area is ignored by unpackers; a short text there tells a person
// looking at the file what it is.
QByteArray headerArea(const QString &version)
{
    QByteArray text = "Orvanta update package\nformat 1\nversion ";
    text += version.toUtf8();
    text += '\n';
    text.truncate(PackageFormat::kHeaderAreaSize - 1);
    text.append(PackageFormat::kHeaderAreaSize - text.size(), '\0');
    return text;
}

} // namespace

bool buildPackage(const QString &version, const QVector<PackageFile> &files, QByteArray *package,
                  QString *error, const PackageWriteOptions &options)
{
    using namespace PackageFormat;
    if (!package) {
        setError(error, QStringLiteral("invalid arguments"));
        return false;
    }
    for (const PackageFile &file : files) {
        if (!PackageEntryPath::normalize(file.name, nullptr, error))
            return false;
    }
    QByteArray payload;
    if (!buildPayload(version, files, &payload, error))
        return false;

    QByteArray properties;
    QByteArray stream;
    QString why;
    LzmaCodec::EncodeOptions encodeOptions;
    encodeOptions.preset = options.preset;
    encodeOptions.endMarker = options.endMarker;
    if (!LzmaCodec::encode(payload, encodeOptions, &properties, &stream, &why)) {
        setError(error, QStringLiteral("cannot compress the payload: %1").arg(why));
        return false;
    }
    if (qint64(stream.size()) + kStreamOffset > kMaxPackageFileSize) {
        setError(error, QStringLiteral("compressed package too large"));
        return false;
    }

    try {
        QByteArray out;
        out.reserve(kStreamOffset + stream.size());
        out += headerArea(version);
        out.append(kDigestSize, '\0');
        out += properties;
        uchar size[4];
        qToLittleEndian<quint32>(quint32(payload.size()), size);
        out.append(reinterpret_cast<const char *>(size), 4);
        payload.clear();
        out += stream;
        stream.clear();
        const QByteArray digest = QCryptographicHash::hash(
            QByteArray::fromRawData(out.constData() + kPropertiesOffset, out.size() - kPropertiesOffset),
            QCryptographicHash::Sha1);
        std::copy(digest.cbegin(), digest.cend(), out.begin() + kDigestOffset);
        *package = out;
    } catch (const std::bad_alloc &) {
        setError(error, QStringLiteral("out of memory while building the package"));
        return false;
    }
    return true;
}

bool writePackageFile(const QString &path, const QString &version, const QVector<PackageFile> &files,
                      QString *error, const PackageWriteOptions &options)
{
    QByteArray package;
    if (!buildPackage(version, files, &package, error, options))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, QStringLiteral("cannot open %1 for writing: %2").arg(path, file.errorString()));
        return false;
    }
    if (!writeWholeFile(file, package)) {
        setError(error, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

bool collectFolderFiles(const QString &folder, QVector<PackageFile> *files, QString *error)
{
    if (!files) {
        setError(error, QStringLiteral("invalid arguments"));
        return false;
    }
    const QDir root(QFileInfo(folder).absoluteFilePath());
    if (!QFileInfo(folder).isDir()) {
        setError(error, QStringLiteral("%1 is not a folder").arg(folder));
        return false;
    }
    QStringList names;
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(root.relativeFilePath(it.next()));
    std::sort(names.begin(), names.end());

    QVector<PackageFile> collected;
    qint64 total = 0;
    for (const QString &name : qAsConst(names)) {
        QFile file(root.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            setError(error, QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
            return false;
        }
        total += file.size();
        if (total > qint64(PackageFormat::kMaxUnpackedSize)) {
            setError(error, QStringLiteral("the files below %1 exceed the package limit of %2 bytes")
                                .arg(folder)
                                .arg(PackageFormat::kMaxUnpackedSize));
            return false;
        }
        PackageFile entry;
        entry.name = name;
        entry.content = file.readAll();
        if (entry.content.size() != file.size()) {
            setError(error, QStringLiteral("cannot read %1 completely").arg(file.fileName()));
            return false;
        }
        collected.append(entry);
    }
    *files = collected;
    return true;
}
