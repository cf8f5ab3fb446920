#pragma once

#include <QByteArray>
#include <QString>

#include "lzma_decoder.h"

// Raw LZMA1 ("LZMA alone" without its 13-byte header) on top of liblzma.
//
// The 5 property bytes are kept apart from the stream because the package
// format stores them, and the unpacked size, in fields of its own.
namespace LzmaCodec {

constexpr int kPropertiesSize = LzmaDecoder::kPropertiesSize;

// Decodes `streamSize` bytes at `stream` into exactly `unpackedSize` bytes.
// The stream may or may not end with an end marker. Fails on invalid
// properties, corrupt data, or a stream that ends before `unpackedSize`
// bytes have been produced. Bytes after the point where `unpackedSize` bytes
// are complete are ignored.
bool decode(const QByteArray &properties, const char *stream, qint64 streamSize,
            quint32 unpackedSize, QByteArray *out, QString *error = nullptr);

struct EncodeOptions {
    int preset = 6;          // 0 (fast) .. 9 (small), as for xz
    bool endMarker = false;  // the package stores the size, so none is needed
};

// Encodes `input` and returns the 5 property bytes and the raw stream.
bool encode(const QByteArray &input, const EncodeOptions &options,
            QByteArray *properties, QByteArray *stream, QString *error = nullptr);

} // namespace LzmaCodec
