#pragma once

#include "update_keys.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The minisign formats: detached signatures (".minisig"), public key lines
// and unencrypted secret key files, as Debian's minisign reads and writes
// them, so that its signatures verify here and keys made here sign with it.
//
// A signature file has four lines:
//   untrusted comment: <text>
//   base64("Ed" or "ED", key id (8), Ed25519 signature (64))
//   trusted comment: <text>
//   base64(Ed25519 signature (64) of the first signature and the trusted
//          comment)
// "ED" signs the BLAKE2b-512 of the file (minisign's default), "Ed" the
// file itself. The trusted comment is covered by the second signature;
// the untrusted one by nothing.
struct MinisignSignature {
    QByteArray algorithm;        // "Ed" or "ED"
    QByteArray keyId;            // 8 bytes
    QByteArray signature;        // 64 bytes
    QString trustedComment;
    QByteArray globalSignature;  // 64 bytes
};

// A secret key: its id and libsodium's 64-byte Ed25519 secret key (the
// seed followed by the public key).
struct MinisignSecretKey {
    QByteArray id;
    QByteArray secretKey;
    QString name;

    UpdateKey publicKey() const;
};

// BLAKE2b over data that arrives in pieces.
class Blake2b
{
public:
    explicit Blake2b(int size = 64);
    ~Blake2b();
    void add(const char *data, qint64 size);
    QByteArray result();

private:
    struct State;
    std::unique_ptr<State> m_state;
    int m_size;
};

namespace Minisign {

// Larger signature or key files are not read.
constexpr qint64 kMaxFileSize = 4096;

bool parseSignature(const QByteArray &text, MinisignSignature *signature, QString *why = nullptr);

// Checks both signatures of `signature` over `message` with the trusted key
// of its key id. On success signer points at that key, inside keys.
bool verify(const QByteArray &message, const MinisignSignature &signature, const UpdateKeys &keys,
            const UpdateKey **signer = nullptr, QString *why = nullptr);

// A signature file for message (prehashed, "ED"), with these comments.
QByteArray sign(const QByteArray &message, const MinisignSecretKey &key, const QString &trustedComment,
                const QString &untrustedComment = QString());

// A new key pair with a random id.
MinisignSecretKey generate(const QString &name);
// The key pair of a 32-byte seed, with this id (tests, fuzzing).
MinisignSecretKey fromSeed(const QByteArray &seed, const QByteArray &id, const QString &name);

// The secret key file (unencrypted: minisign -W reads it) and the public
// key file ("untrusted comment:" and the key line).
QByteArray secretKeyFile(const MinisignSecretKey &key);
QByteArray publicKeyFile(const UpdateKey &key);

// Reads a secret key file. A key minisign encrypted with a password is
// refused with a hint ("minisign -C -W" removes the password).
bool parseSecretKeyFile(const QByteArray &text, MinisignSecretKey *key, QString *why = nullptr);

// Ed25519 over message; the 64-byte signature.
QByteArray signDetached(const QByteArray &message, const QByteArray &secretKey);
bool verifyDetached(const QByteArray &message, const QByteArray &signature, const QByteArray &publicKey);

// BLAKE2b with a digest of `size` bytes (16 to 64).
QByteArray blake2b(const QByteArray &data, int size = 64);

// Makes sure libsodium is ready; false when it cannot start (then nothing
// verifies).
bool cryptoReady();

} // namespace Minisign
