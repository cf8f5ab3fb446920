#pragma once

#include <QtGlobal>

// Layout of an update package file. All integers are little-endian.
//
//   0    128  header area: free text, or the signature block
//             (package_signature.h); the unpacker never reads it
//   128  20   SHA-1 of every byte from offset 148 to the end of the file
//   148  5    LZMA properties (lc/lp/pb byte, 32-bit dictionary size)
//   153  4    unpacked payload size
//   157  ...  raw LZMA1 stream, with or without an end marker
namespace PackageFormat {

constexpr int kHeaderAreaSize = 128;
constexpr int kDigestOffset = 128;
constexpr int kDigestSize = 20;
constexpr int kPropertiesOffset = 148;
constexpr int kPropertiesSize = 5;
constexpr int kUnpackedSizeOffset = 153;
constexpr int kStreamOffset = 157;

// A package must hold at least one byte of compressed stream.
constexpr int kMinimumFileSize = kStreamOffset + 1;

// The unpacked payload is held in memory in one piece, and its size comes
// from the untrusted header; anything larger than this is refused before a
// single byte is allocated.
constexpr quint32 kMaxUnpackedSize = 512u * 1024u * 1024u;

// LZMA can expand incompressible data a little; a package file larger than
// the largest acceptable payload plus generous slack cannot be valid and is
// not read into memory.
constexpr qint64 kMaxPackageFileSize = qint64(kMaxUnpackedSize) + 64 * 1024 * 1024;

// The payload is a Qt data stream of this version (Qt 5.1 serialisation,
// big-endian).
constexpr int kDataStreamVersion = 14;

} // namespace PackageFormat
