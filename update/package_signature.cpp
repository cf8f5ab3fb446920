#include "package_signature.h"

#include "package_format.h"

#include <QtEndian>

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kMagic = QByteArrayLiteral("OVSG");
const QByteArray kContext = QByteArrayLiteral("Orvanta package signature 1\n");
constexpr int kKeyIdAt = 8;
constexpr int kSignatureAt = 16;
constexpr int kSequenceAt = 80;
constexpr int kVersionAt = 88;
constexpr int kReservedAt = 96;

bool setWhy(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}

PackageVerdict refused(const QString &reason)
{
    PackageVerdict verdict;
    verdict.kind = PackageVerdict::Refused;
    verdict.reason = reason;
    return verdict;
}

PackageVerdict judge(const QByteArray &headerArea, const QByteArray &tailHash, const UpdateKeys &keys,
                     const ClientVersion &client)
{
    PackageSignatureBlock block;
    QString why;
    switch (PackageSignature::parseBlock(headerArea, &block, &why)) {
    case PackageSignature::Parsed::Unsigned: {
        PackageVerdict verdict;
        verdict.kind = PackageVerdict::Unsigned;
        verdict.reason = PackageSignature::notTrustedText();
        verdict.tailHash = tailHash;
        return verdict;
    }
    case PackageSignature::Parsed::Malformed:
        return refused(QStringLiteral("%1 (%2)").arg(PackageSignature::notTrustedText(), why));
    case PackageSignature::Parsed::Block:
        break;
    }
    const UpdateKey *key = keys.find(block.keyId);
    if (!key) {
        return refused(QStringLiteral("%1 (signed by unknown key %2)")
                           .arg(PackageSignature::notTrustedText(),
                                UpdateKey{block.keyId, QByteArray(), QString()}.idText()));
    }
    if (!Minisign::verifyDetached(PackageSignature::signedMessage(headerArea, tailHash), block.signature,
                                  key->publicKey))
        return refused(QStringLiteral("%1 (the signature does not match the package)")
                           .arg(PackageSignature::notTrustedText()));
    PackageVerdict verdict;
    verdict.signer = key->name;
    verdict.sequence = block.sequence;
    verdict.minimumClient = block.minimumClient;
    verdict.tailHash = tailHash;
    if (client < block.minimumClient) {
        verdict.kind = PackageVerdict::Refused;
        verdict.reason = QStringLiteral("the package needs Orvanta %1 or newer, this is %2")
                             .arg(block.minimumClient.text(), client.text());
        return verdict;
    }
    verdict.kind = PackageVerdict::Trusted;
    return verdict;
}

} // namespace

namespace PackageSignature {

QString notTrustedText()
{
    return QStringLiteral("not signed by a trusted key");
}

Parsed parseBlock(const QByteArray &headerArea, PackageSignatureBlock *block, QString *why)
{
    if (headerArea.size() < kBlockSize || !headerArea.startsWith(kMagic))
        return Parsed::Unsigned;
    const auto *bytes = reinterpret_cast<const uchar *>(headerArea.constData());
    PackageSignatureBlock parsed;
    parsed.format = bytes[4];
    parsed.algorithm = bytes[5];
    parsed.count = bytes[6];
    parsed.flags = bytes[7];
    if (parsed.format != 1) {
        setWhy(why, QStringLiteral("signature block format %1 is unknown").arg(parsed.format));
        return Parsed::Malformed;
    }
    if (parsed.algorithm != 1) {
        setWhy(why, QStringLiteral("signature algorithm %1 is unknown").arg(parsed.algorithm));
        return Parsed::Malformed;
    }
    if (parsed.count != 1) {
        setWhy(why, QStringLiteral("the block claims %1 signatures; exactly one is read").arg(parsed.count));
        return Parsed::Malformed;
    }
    if (parsed.flags != 0) {
        setWhy(why, QStringLiteral("unknown signature flags %1").arg(parsed.flags));
        return Parsed::Malformed;
    }
    parsed.keyId = headerArea.mid(kKeyIdAt, 8);
    parsed.signature = headerArea.mid(kSignatureAt, 64);
    if (parsed.signature == QByteArray(64, '\0')) {
        setWhy(why, QStringLiteral("the signature is empty"));
        return Parsed::Malformed;
    }
    parsed.sequence = qFromLittleEndian<quint64>(bytes + kSequenceAt);
    for (int i = 0; i < 4; ++i)
        parsed.minimumClient.parts[size_t(i)] = qFromLittleEndian<quint16>(bytes + kVersionAt + 2 * i);
    parsed.reserved = headerArea.mid(kReservedAt, kBlockSize - kReservedAt);
    if (block)
        *block = parsed;
    return Parsed::Block;
}

QByteArray blockBytes(const PackageSignatureBlock &block)
{
    QByteArray out(kBlockSize, '\0');
    auto *bytes = reinterpret_cast<uchar *>(out.data());
    out.replace(0, 4, kMagic);
    bytes[4] = block.format;
    bytes[5] = block.algorithm;
    bytes[6] = block.count;
    bytes[7] = block.flags;
    out.replace(kKeyIdAt, 8, block.keyId.leftJustified(8, '\0', true));
    out.replace(kSignatureAt, 64, block.signature.leftJustified(64, '\0', true));
    qToLittleEndian<quint64>(block.sequence, bytes + kSequenceAt);
    for (int i = 0; i < 4; ++i)
        qToLittleEndian<quint16>(block.minimumClient.parts[size_t(i)], bytes + kVersionAt + 2 * i);
    out.replace(kReservedAt, kBlockSize - kReservedAt, block.reserved.leftJustified(kBlockSize - kReservedAt, '\0', true));
    return out;
}

QByteArray signedMessage(const QByteArray &headerArea, const QByteArray &tailHash)
{
    return kContext + headerArea.left(kSignatureAt) + headerArea.mid(kSequenceAt, kBlockSize - kSequenceAt)
           + tailHash;
}

bool sign(QByteArray *package, const MinisignSecretKey &key, quint64 sequence, const ClientVersion &minimumClient,
          QString *why)
{
    if (package->size() < PackageFormat::kMinimumFileSize)
        return setWhy(why, QStringLiteral("not a package (%1 bytes)").arg(package->size()));
    if (key.id.size() != 8 || key.secretKey.size() != 64)
        return setWhy(why, QStringLiteral("not a signing key"));
    PackageSignatureBlock block;
    block.keyId = key.id;
    block.sequence = sequence;
    block.minimumClient = minimumClient;
    // A placeholder signature, so the block's other bytes are in place.
    block.signature = QByteArray(64, '\1');
    QByteArray header = blockBytes(block);
    const QByteArray tail = Minisign::blake2b(package->mid(kSignedFrom), 64);
    block.signature = Minisign::signDetached(signedMessage(header, tail), key.secretKey);
    if (block.signature.size() != 64)
        return setWhy(why, QStringLiteral("the signature could not be made"));
    package->replace(0, kBlockSize, blockBytes(block));
    return true;
}

PackageVerdict verify(const QByteArray &package, const UpdateKeys &keys, const ClientVersion &client)
{
    if (!Minisign::cryptoReady())
        return refused(QStringLiteral("the signature library did not start"));
    if (package.size() < PackageFormat::kMinimumFileSize)
        return refused(QStringLiteral("not a package (%1 bytes)").arg(package.size()));
    return judge(package.left(kBlockSize), Minisign::blake2b(package.mid(kSignedFrom), 64), keys, client);
}

PackageVerdict verifyFile(int fd, qint64 size, const UpdateKeys &keys, const ClientVersion &client)
{
    if (!Minisign::cryptoReady())
        return refused(QStringLiteral("the signature library did not start"));
    if (size < PackageFormat::kMinimumFileSize || size > PackageFormat::kMaxPackageFileSize)
        return refused(QStringLiteral("not a package (%1 bytes)").arg(size));
    QByteArray buffer(256 * 1024, '\0');
    QByteArray header;
    Blake2b hash;
    qint64 at = 0;
    while (at < size) {
        const ssize_t n = ::pread(fd, buffer.data(), size_t(qMin<qint64>(buffer.size(), size - at)), off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return refused(QStringLiteral("the package cannot be read"));
        qint64 skip = 0;
        if (at < kSignedFrom) {
            skip = qMin<qint64>(n, kSignedFrom - at);
            header.append(buffer.constData(), int(skip));
        }
        hash.add(buffer.constData() + skip, n - skip);
        at += n;
    }
    return judge(header, hash.result(), keys, client);
}

PackageVerdict verifyPath(const QString &path, const UpdateKeys &keys, const ClientVersion &client)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        return refused(QStringLiteral("%1 cannot be read").arg(path));
    }
    const PackageVerdict verdict = verifyFile(fd, info.st_size, keys, client);
    ::close(fd);
    return verdict;
}

} // namespace PackageSignature
