#include "minisign.h"

#include <QList>

#include <sodium.h>

namespace {

constexpr int kKeyIdSize = 8;
constexpr int kSignatureSize = crypto_sign_BYTES;             // 64
constexpr int kSecretKeySize = crypto_sign_SECRETKEYBYTES;    // 64
constexpr int kPublicKeySize = crypto_sign_PUBLICKEYBYTES;    // 32
constexpr int kChecksumSize = 32;
// "Ed", kdf "\0\0", "B2", salt, opslimit, memlimit, id, key, checksum.
constexpr int kSecretFileSize = 2 + 2 + 2 + 32 + 8 + 8 + kKeyIdSize + kSecretKeySize + kChecksumSize;

const QByteArray kUntrusted = QByteArrayLiteral("untrusted comment:");
const QByteArray kTrusted = QByteArrayLiteral("trusted comment: ");

bool setWhy(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}

// The lines of a small text file, without their line ends.
QList<QByteArray> linesOf(const QByteArray &text)
{
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool decodeBase64(const QByteArray &line, int size, QByteArray *out)
{
    const auto decoded = QByteArray::fromBase64Encoding(line.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != size)
        return false;
    *out = decoded.decoded;
    return true;
}

QByteArray secretChecksum(const MinisignSecretKey &key)
{
    return Minisign::blake2b(QByteArrayLiteral("Ed") + key.id + key.secretKey, kChecksumSize);
}

} // namespace

struct Blake2b::State {
    crypto_generichash_state hash;
};

Blake2b::Blake2b(int size) : m_state(new State), m_size(size)
{
    Minisign::cryptoReady();
    crypto_generichash_init(&m_state->hash, nullptr, 0, size_t(size));
}

Blake2b::~Blake2b() = default;

void Blake2b::add(const char *data, qint64 size)
{
    crypto_generichash_update(&m_state->hash, reinterpret_cast<const unsigned char *>(data), quint64(size));
}

QByteArray Blake2b::result()
{
    QByteArray out(m_size, '\0');
    crypto_generichash_final(&m_state->hash, reinterpret_cast<unsigned char *>(out.data()), size_t(m_size));
    return out;
}

namespace Minisign {

bool cryptoReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

QByteArray blake2b(const QByteArray &data, int size)
{
    QByteArray out(size, '\0');
    cryptoReady();
    crypto_generichash(reinterpret_cast<unsigned char *>(out.data()), size_t(size),
                       reinterpret_cast<const unsigned char *>(data.constData()), quint64(data.size()), nullptr, 0);
    return out;
}

QByteArray signDetached(const QByteArray &message, const QByteArray &secretKey)
{
    QByteArray signature(kSignatureSize, '\0');
    if (!cryptoReady() || secretKey.size() != kSecretKeySize)
        return QByteArray();
    crypto_sign_detached(reinterpret_cast<unsigned char *>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char *>(message.constData()), quint64(message.size()),
                         reinterpret_cast<const unsigned char *>(secretKey.constData()));
    return signature;
}

bool verifyDetached(const QByteArray &message, const QByteArray &signature, const QByteArray &publicKey)
{
    if (!cryptoReady() || signature.size() != kSignatureSize || publicKey.size() != kPublicKeySize)
        return false;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(signature.constData()),
                                       reinterpret_cast<const unsigned char *>(message.constData()),
                                       quint64(message.size()),
                                       reinterpret_cast<const unsigned char *>(publicKey.constData()))
           == 0;
}

bool parseSignature(const QByteArray &text, MinisignSignature *signature, QString *why)
{
    if (text.size() > kMaxFileSize)
        return setWhy(why, QStringLiteral("the signature file is larger than %1 bytes").arg(kMaxFileSize));
    const QList<QByteArray> lines = linesOf(text);
    if (lines.size() != 4)
        return setWhy(why, QStringLiteral("a signature file has 4 lines, this one %1").arg(lines.size()));
    if (!lines.at(0).startsWith(kUntrusted))
        return setWhy(why, QStringLiteral("the signature file does not start with an untrusted comment"));
    if (!lines.at(2).startsWith(kTrusted))
        return setWhy(why, QStringLiteral("the signature file has no trusted comment"));
    QByteArray first;
    if (!decodeBase64(lines.at(1), 2 + kKeyIdSize + kSignatureSize, &first))
        return setWhy(why, QStringLiteral("the signature line is not a signature"));
    const QByteArray algorithm = first.left(2);
    if (algorithm != "Ed" && algorithm != "ED")
        return setWhy(why, QStringLiteral("unknown signature algorithm"));
    MinisignSignature parsed;
    parsed.algorithm = algorithm;
    parsed.keyId = first.mid(2, kKeyIdSize);
    parsed.signature = first.mid(2 + kKeyIdSize);
    const QByteArray comment = lines.at(2).mid(kTrusted.size());
    parsed.trustedComment = QString::fromUtf8(comment);
    if (!decodeBase64(lines.at(3), kSignatureSize, &parsed.globalSignature))
        return setWhy(why, QStringLiteral("the trusted comment's signature is not a signature"));
    if (signature)
        *signature = parsed;
    return true;
}

bool verify(const QByteArray &message, const MinisignSignature &signature, const UpdateKeys &keys,
            const UpdateKey **signer, QString *why)
{
    const UpdateKey *key = keys.find(signature.keyId);
    if (!key)
        return setWhy(why, QStringLiteral("not signed by a trusted key"));
    const QByteArray signedBytes = signature.algorithm == "ED" ? blake2b(message, 64) : message;
    if (!verifyDetached(signedBytes, signature.signature, key->publicKey))
        return setWhy(why, QStringLiteral("the signature does not match"));
    if (!verifyDetached(signature.signature + signature.trustedComment.toUtf8(), signature.globalSignature,
                        key->publicKey))
        return setWhy(why, QStringLiteral("the trusted comment's signature does not match"));
    if (signer)
        *signer = key;
    return true;
}

QByteArray sign(const QByteArray &message, const MinisignSecretKey &key, const QString &trustedComment,
                const QString &untrustedComment)
{
    const QByteArray signature = signDetached(blake2b(message, 64), key.secretKey);
    const QByteArray comment = trustedComment.toUtf8();
    const QByteArray global = signDetached(signature + comment, key.secretKey);
    const QString untrusted = untrustedComment.isEmpty()
                                  ? QStringLiteral("signature from %1").arg(key.publicKey().name)
                                  : untrustedComment;
    return kUntrusted + ' ' + untrusted.toUtf8() + '\n' + (QByteArrayLiteral("ED") + key.id + signature).toBase64()
           + '\n' + kTrusted + comment + '\n' + global.toBase64() + '\n';
}

MinisignSecretKey generate(const QString &name)
{
    MinisignSecretKey key;
    key.name = name;
    key.id = QByteArray(kKeyIdSize, '\0');
    key.secretKey = QByteArray(kSecretKeySize, '\0');
    QByteArray publicKey(kPublicKeySize, '\0');
    if (!cryptoReady())
        return MinisignSecretKey();
    randombytes_buf(key.id.data(), size_t(kKeyIdSize));
    crypto_sign_keypair(reinterpret_cast<unsigned char *>(publicKey.data()),
                        reinterpret_cast<unsigned char *>(key.secretKey.data()));
    return key;
}

MinisignSecretKey fromSeed(const QByteArray &seed, const QByteArray &id, const QString &name)
{
    MinisignSecretKey key;
    if (!cryptoReady() || seed.size() != crypto_sign_SEEDBYTES || id.size() != kKeyIdSize)
        return key;
    QByteArray publicKey(kPublicKeySize, '\0');
    key.secretKey = QByteArray(kSecretKeySize, '\0');
    crypto_sign_seed_keypair(reinterpret_cast<unsigned char *>(publicKey.data()),
                             reinterpret_cast<unsigned char *>(key.secretKey.data()),
                             reinterpret_cast<const unsigned char *>(seed.constData()));
    key.id = id;
    key.name = name;
    return key;
}

QByteArray secretKeyFile(const MinisignSecretKey &key)
{
    QByteArray bytes = QByteArrayLiteral("Ed") + QByteArray(2, '\0') + QByteArrayLiteral("B2")
                       + QByteArray(32 + 8 + 8, '\0') + key.id + key.secretKey + secretChecksum(key);
    const QString name = key.name.isEmpty() ? QStringLiteral("unencrypted secret key") : key.name;
    return kUntrusted + ' ' + name.toUtf8() + " (secret key, unencrypted)\n" + bytes.toBase64() + '\n';
}

QByteArray publicKeyFile(const UpdateKey &key)
{
    return kUntrusted + ' ' + key.name.toUtf8() + ' ' + key.idText().toLatin1() + '\n'
           + UpdateKeys::keyLine(key).toLatin1() + '\n';
}

bool parseSecretKeyFile(const QByteArray &text, MinisignSecretKey *key, QString *why)
{
    if (text.size() > kMaxFileSize)
        return setWhy(why, QStringLiteral("the key file is larger than %1 bytes").arg(kMaxFileSize));
    const QList<QByteArray> lines = linesOf(text);
    if (lines.size() != 2 || !lines.at(0).startsWith(kUntrusted))
        return setWhy(why, QStringLiteral("not a minisign secret key file"));
    QByteArray bytes;
    if (!decodeBase64(lines.at(1), kSecretFileSize, &bytes) || !bytes.startsWith("Ed") || bytes.mid(4, 2) != "B2")
        return setWhy(why, QStringLiteral("not a minisign secret key file"));
    if (bytes.mid(2, 2) != QByteArray(2, '\0'))
        return setWhy(why, QStringLiteral("the secret key is encrypted with a password; "
                                          "\"minisign -C -W -s <file>\" removes the password"));
    MinisignSecretKey parsed;
    const int at = 2 + 2 + 2 + 32 + 8 + 8;
    parsed.id = bytes.mid(at, kKeyIdSize);
    parsed.secretKey = bytes.mid(at + kKeyIdSize, kSecretKeySize);
    // minisign leaves the checksum of an unencrypted key zero.
    const QByteArray checksum = bytes.mid(at + kKeyIdSize + kSecretKeySize);
    if (checksum != QByteArray(kChecksumSize, '\0') && checksum != secretChecksum(parsed))
        return setWhy(why, QStringLiteral("the secret key's checksum does not match"));
    // The key's second half must be the public key of its first.
    QByteArray publicKey(kPublicKeySize, '\0');
    QByteArray secretKey(kSecretKeySize, '\0');
    if (!cryptoReady()
        || crypto_sign_seed_keypair(reinterpret_cast<unsigned char *>(publicKey.data()),
                                    reinterpret_cast<unsigned char *>(secretKey.data()),
                                    reinterpret_cast<const unsigned char *>(parsed.secretKey.constData()))
               != 0
        || secretKey != parsed.secretKey)
        return setWhy(why, QStringLiteral("the secret key is damaged"));
    parsed.name = QString::fromUtf8(lines.at(0).mid(kUntrusted.size())).trimmed();
    parsed.name.remove(QStringLiteral(" (secret key, unencrypted)"));
    if (key)
        *key = parsed;
    return true;
}

} // namespace Minisign

UpdateKey MinisignSecretKey::publicKey() const
{
    UpdateKey key;
    key.id = id;
    // libsodium's secret key ends with the public key.
    key.publicKey = secretKey.mid(kSecretKeySize - kPublicKeySize);
    key.name = name.isEmpty() ? QStringLiteral("key %1").arg(key.idText()) : name;
    return key;
}
