#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// The public keys whose signatures make an update trusted.
//
// A key is written as minisign writes its public keys: one base64 line of
// "Ed", an 8-byte key id and the 32-byte Ed25519 public key. The release
// key is compiled into the program; a file named by ORVANTA_UPDATE_KEYS may
// add keys (a test's, a self-hosted server's), one a line, each optionally
// followed by a name. Empty lines, lines starting with "#" and minisign's
// "untrusted comment:" lines are skipped, so a minisign .pub file serves as
// it is. Whoever can set the program's environment is trusted already.
struct UpdateKey {
    QByteArray id;         // 8 bytes
    QByteArray publicKey;  // 32 bytes
    QString name;          // "Orvanta" for the release key

    // The key id as minisign prints it (its bytes read as a little-endian
    // number, in upper-case hexadecimal).
    QString idText() const;
};

class UpdateKeys
{
public:
    // The release key, then the keys of the ORVANTA_UPDATE_KEYS file. A
    // file that cannot be read, or a line that is not a key, is reported in
    // problems (one line each) and adds nothing.
    static UpdateKeys trusted(QStringList *problems = nullptr);
    // The release key alone.
    static UpdateKey releaseKey();

    // Reads keys from the text of a keys file; bad lines go to problems.
    void addFromText(const QByteArray &text, const QString &source, QStringList *problems);
    void add(const UpdateKey &key) { m_keys.append(key); }

    // The key with this id, or null.
    const UpdateKey *find(const QByteArray &id) const;
    const QVector<UpdateKey> &keys() const { return m_keys; }

    // One public key line ("RWQ…", optionally followed by a name). False
    // for anything else.
    static bool parseKeyLine(const QString &line, UpdateKey *key);
    // The base64 line of a key.
    static QString keyLine(const UpdateKey &key);

private:
    QVector<UpdateKey> m_keys;
};

// Largest keys file read (a few keys need a few hundred bytes).
constexpr qint64 kMaxKeysFileSize = 64 * 1024;
