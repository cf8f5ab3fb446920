#pragma once

#include "payload_stream_parser.h"

#include <QByteArray>
#include <QString>

// Reads an update package in one pass, piece by piece: the SHA-1 digest is
// computed while the LZMA stream is decoded and the payload parsed, and the
// payload's files reach a handler as they are decoded. Memory stays bounded
// by the LZMA dictionary and a few buffers, whatever the package size.
//
// The package checks out only when, at the end, every check has passed:
// the digest, the LZMA stream (every announced byte), the payload framing
// with every file whole, and the handler's own checks. Until then, what the
// handler received is unverified: it must keep it apart (a staging folder)
// and drop it when the reading fails.

// Where the package bytes come from.
class PackageSource
{
public:
    virtual ~PackageSource() = default;
    // The size of the whole package.
    virtual qint64 size() const = 0;
    // The next piece: its bytes stay valid until the next call. 0 at the
    // end, -1 on a read error.
    virtual qint64 next(const char **data) = 0;
};

// A package already in memory, handed over in one piece.
class MemoryPackageSource : public PackageSource
{
public:
    explicit MemoryPackageSource(const QByteArray &bytes) : m_bytes(bytes) {}
    qint64 size() const override { return m_bytes.size(); }
    qint64 next(const char **data) override;

private:
    QByteArray m_bytes;
    bool m_given = false;
};

// An open file descriptor (not owned), read from its current position.
class FilePackageSource : public PackageSource
{
public:
    static constexpr int kPieceSize = 256 * 1024;
    FilePackageSource(int fd, qint64 size) : m_fd(fd), m_size(size) {}
    qint64 size() const override { return m_size; }
    qint64 next(const char **data) override;

private:
    int m_fd;
    qint64 m_size;
    QByteArray m_buffer;
};

// What the header announced, for callers that report it.
struct PackageStreamInfo {
    quint32 unpackedSize = 0;
    quint32 dictionarySize = 0;  // as used, after clamping to the payload
};

struct PackageStreamOptions {
    // Parse the payload and run the handler on a thread of their own while
    // the next pieces are decoded, for payloads of threadedFrom bytes and
    // more (below that, the thread costs more than it saves).
    bool threaded = false;
    quint32 threadedFrom = 1024 * 1024;
    // When set: the BLAKE2b-512 of every byte from offset 128 on that a
    // signature check found before; the package is refused when the bytes
    // read now differ (the file changed in between).
    QByteArray expectedTailHash;
};

// Reads the whole package from source into handler. False, with the reason,
// when the package is too short or too large, its digest does not match,
// the LZMA stream or the payload framing is damaged, or the handler refuses
// something. A damaged package whose digest does not match is reported as
// such.
bool readPackageStream(PackageSource &source, PayloadStreamParser::Handler &handler, QString *error = nullptr,
                       PackageStreamInfo *info = nullptr,
                       const PackageStreamOptions &options = PackageStreamOptions());
