#pragma once

#include "client_version.h"
#include "minisign.h"
#include "update_keys.h"

#include <QByteArray>
#include <QString>

// The signature block of an update package. It fills the package's first
// 128 bytes, the header area that readers of the package format skip and
// its SHA-1 does not cover, so a signed package still reads everywhere an
// unsigned one did. All integers little-endian.
//
//   0    4   magic "OVSG"
//   4    1   block format, 1
//   5    1   algorithm, 1: Ed25519 over the message below
//   6    1   number of signatures, 1 (exactly one is read)
//   7    1   flags, 0
//   8    8   key id (as in the minisign key)
//   16   64  Ed25519 signature
//   80   8   release sequence number
//   88   8   lowest client version that may install the package (4 × u16)
//   96   32  reserved, signed along
//
// The signed message is the text "Orvanta package signature 1\n", the
// block without its signature (bytes 0–15 and 80–127), and the BLAKE2b-512
// of every byte from offset 128 to the end of the file: the SHA-1, the LZMA
// header and the whole compressed payload.
struct PackageSignatureBlock {
    quint8 format = 1;
    quint8 algorithm = 1;
    quint8 count = 1;
    quint8 flags = 0;
    QByteArray keyId;      // 8 bytes
    QByteArray signature;  // 64 bytes
    quint64 sequence = 0;
    ClientVersion minimumClient;
    QByteArray reserved = QByteArray(32, '\0');
};

// What a package's signature says about it.
struct PackageVerdict {
    enum Kind {
        Trusted,    // signed by a trusted key, installable by this client
        Unsigned,   // no signature block at all (the old format)
        Refused,    // a block that does not verify, or a package not for us
    };
    Kind kind = Refused;
    QString signer;       // the trusted key's name
    QString reason;       // why it is not trusted
    quint64 sequence = 0;
    ClientVersion minimumClient;
    QByteArray tailHash;  // BLAKE2b-512 of bytes 128.. as read

    bool trusted() const { return kind == Trusted; }
};

namespace PackageSignature {

constexpr int kBlockSize = 128;
constexpr int kSignedFrom = 128;

enum class Parsed { Unsigned, Malformed, Block };

// Reads the header area. Unsigned: no magic; Malformed (with why): a magic
// followed by a block this program cannot take (another format or
// algorithm, zero or several signatures, flags).
Parsed parseBlock(const QByteArray &headerArea, PackageSignatureBlock *block, QString *why = nullptr);
QByteArray blockBytes(const PackageSignatureBlock &block);

// The bytes the signature covers, for a header area and the tail's hash.
QByteArray signedMessage(const QByteArray &headerArea, const QByteArray &tailHash);

// Signs a whole package in memory: its header area becomes the block.
bool sign(QByteArray *package, const MinisignSecretKey &key, quint64 sequence,
          const ClientVersion &minimumClient, QString *why = nullptr);

// Checks a package in memory, or the open file fd of `size` bytes (read
// with pread, its position untouched), with keys, for this client.
PackageVerdict verify(const QByteArray &package, const UpdateKeys &keys,
                      const ClientVersion &client = ClientVersion::current());
PackageVerdict verifyFile(int fd, qint64 size, const UpdateKeys &keys,
                          const ClientVersion &client = ClientVersion::current());
// The same for the regular file at path (a link in its name is not
// followed).
PackageVerdict verifyPath(const QString &path, const UpdateKeys &keys,
                          const ClientVersion &client = ClientVersion::current());

// The text the pages and the log give a refusal of this kind.
QString notTrustedText();

} // namespace PackageSignature
