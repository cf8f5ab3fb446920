#pragma once

// Signing for tests: key pairs made from fixed seeds here (never a real
// key), signed packages and signed lists, and trusting the test key the way
// a self-hosted server's key is trusted (ORVANTA_UPDATE_KEYS).

#include "client_version.h"
#include "minisign.h"
#include "package_signature.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// key(): the key the tests trust; strangerKey(): one they never trust.
// signedPackage(): package with its header area replaced by a signature
// block. signedListSignature(): a minisign signature of a list naming
// channel, sequence and expiry. trustTestKey(): writes key()'s public key
// into a file of a folder that lives as long as the process and names it
// in ORVANTA_UPDATE_KEYS (child processes inherit it); answers its path.
namespace TestSigning {


inline MinisignSecretKey key()
{
    return Minisign::fromSeed(QByteArray(32, '\x5a'), QByteArrayLiteral("TESTKEY1"), QStringLiteral("Orvanta test key"));
}

inline MinisignSecretKey strangerKey()
{
    return Minisign::fromSeed(QByteArray(32, '\x33'), QByteArrayLiteral("STRANGER"), QStringLiteral("stranger"));
}

inline QByteArray signedPackage(const QByteArray &package, quint64 sequence = 1,
                                const ClientVersion &minimumClient = ClientVersion(),
                                const MinisignSecretKey &by = key())
{
    QByteArray out = package;
    if (!PackageSignature::sign(&out, by, sequence, minimumClient))
        return QByteArray();
    return out;
}

inline QByteArray signedListSignature(const QByteArray &list, const QString &channel, quint64 sequence,
                                      qint64 expires, const MinisignSecretKey &by = key())
{
    return Minisign::sign(list, by,
                          QStringLiteral("channel:%1\tsequence:%2\texpires:%3").arg(channel).arg(sequence).arg(expires));
}

inline QString trustTestKey()
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("test-update-keys.pub"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(Minisign::publicKeyFile(key().publicKey())) <= 0)
        return QString();
    file.close();
    qputenv("ORVANTA_UPDATE_KEYS", QFile::encodeName(path));
    return path;
}

} // namespace TestSigning
