// Update packages: the header, the digest, the LZMA stream and the payload.
// The first byte chooses what the rest is:
//   0  a whole package; its digest is put right, so the reading goes past it;
//   1  a payload, parsed in pieces whose sizes come from the input;
//   2  a payload, packed and unpacked into a folder (short inputs only).

#include "fuzz_support.h"

#include "lzma_codec.h"
#include "package_format.h"
#include "package_reader.h"
#include "package_unpacker.h"
#include "payload_stream_parser.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdlib>

namespace {

// Checks what the parser promises: content pieces add up to each file's
// size, files begin and end in turn.
class Checker : public PayloadStreamParser::Handler
{
public:
    bool beginFile(const QString&, quint32 size, QString*) override
    {
        if (m_open)
            std::abort();
        m_open = true;
        m_left = size;
        ++m_files;
        return true;
    }
    bool fileData(const char*, int size, QString*) override
    {
        if (!m_open || size <= 0 || quint32(size) > m_left)
            std::abort();
        m_left -= quint32(size);
        return true;
    }
    bool endFile(QString*) override
    {
        if (!m_open || m_left != 0)
            std::abort();
        m_open = false;
        return true;
    }
    quint32 files() const { return m_files; }
    bool open() const { return m_open; }

private:
    bool m_open = false;
    quint32 m_left = 0;
    quint32 m_files = 0;
};

QByteArray signedPackage(QByteArray bytes)
{
    if (bytes.size() < PackageFormat::kMinimumFileSize)
        return bytes;
    const QByteArray digest = QCryptographicHash::hash(bytes.mid(PackageFormat::kPropertiesOffset),
                                                       QCryptographicHash::Sha1);
    bytes.replace(PackageFormat::kDigestOffset, PackageFormat::kDigestSize, digest);
    return bytes;
}

void parseInPieces(fuzz::Input& in)
{
    const int step = 1 + in.byte();
    const QByteArray payload = in.restBytes();
    Checker checker;
    PayloadStreamParser parser(checker, quint64(payload.size()));
    bool ok = true;
    for (int at = 0; ok && at < payload.size(); at += step)
        ok = parser.push(payload.constData() + at, qMin(step, payload.size() - at));
    ok = ok && parser.finish();
    if (ok && (checker.open() || checker.files() != parser.fileCount()))
        std::abort();
    PackagePayload whole;
    if (parsePayload(payload, &whole) != ok)
        std::abort();
}

void unpackIntoFolder(const QByteArray& payload)
{
    static QTemporaryDir dir;
    QByteArray properties, stream;
    LzmaCodec::EncodeOptions options;
    options.preset = 0;
    if (!LzmaCodec::encode(payload, options, &properties, &stream))
        return;
    QByteArray size(4, '\0');
    qToLittleEndian<quint32>(quint32(payload.size()), size.data());
    const QByteArray package = signedPackage(QByteArray(PackageFormat::kHeaderAreaSize, 'H')
                                             + QByteArray(PackageFormat::kDigestSize, '\0') + properties + size + stream);
    const QString target = dir.filePath(QStringLiteral("target"));
    // A folder of the same name the package may want to replace.
    QDir().mkpath(target + QStringLiteral("/a"));
    QFile(target + QStringLiteral("/b")).open(QIODevice::WriteOnly);
    unpackPackageData(package, target);
    QDir(target).removeRecursively();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApplication();
    fuzz::Input in(data, size);
    switch (in.byte() % 3) {
    case 0:
        inspectPackageData(signedPackage(in.restBytes()), nullptr);
        break;
    case 1:
        parseInPieces(in);
        break;
    default:
        if (in.restSize() <= 4096)
            unpackIntoFolder(in.restBytes());
        break;
    }
    return 0;
}
