#include "lzma_codec.h"

#include "lzma_decoder.h"

#include <lzma.h>

#include <cstring>

#include <algorithm>
#include <limits>
#include <new>

namespace LzmaCodec {
namespace {

constexpr quint32 kMinDictionarySize = 4096;  // liblzma's lower bound

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString describe(lzma_ret ret)
{
    switch (ret) {
    case LZMA_MEM_ERROR: return QStringLiteral("out of memory");
    case LZMA_MEMLIMIT_ERROR: return QStringLiteral("memory limit reached");
    case LZMA_OPTIONS_ERROR: return QStringLiteral("unsupported LZMA properties");
    case LZMA_DATA_ERROR: return QStringLiteral("corrupt LZMA data");
    case LZMA_BUF_ERROR: return QStringLiteral("LZMA stream ends too early");
    case LZMA_PROG_ERROR: return QStringLiteral("LZMA programming error");
    default: return QStringLiteral("LZMA error %1").arg(int(ret));
    }
}

// Owns an lzma_stream for the length of one call.
struct StreamGuard {
    lzma_stream strm = LZMA_STREAM_INIT;
    ~StreamGuard() { lzma_end(&strm); }
};

} // namespace

bool decode(const QByteArray &properties, const char *stream, qint64 streamSize,
            quint32 unpackedSize, QByteArray *out, QString *error)
{
    if (!out || streamSize < 0 || (streamSize > 0 && !stream)) {
        setError(error, QStringLiteral("invalid arguments"));
        return false;
    }
    if (unpackedSize > quint32(std::numeric_limits<int>::max() - 64)) {
        setError(error, QStringLiteral("unpacked size %1 is too large").arg(unpackedSize));
        return false;
    }
    LzmaDecoder decoder;
    if (!decoder.start(properties, unpackedSize, error))
        return false;
    try {
        out->clear();
        out->resize(int(unpackedSize));
    } catch (const std::bad_alloc &) {
        out->clear();
        setError(error, QStringLiteral("cannot allocate %1 bytes for the payload").arg(unpackedSize));
        return false;
    }
    char *next = out->data();
    const LzmaDecoder::Sink sink = [&next](const char *data, int size) {
        std::memcpy(next, data, size_t(size));
        next += size;
        return true;
    };
    if (decoder.feed(stream, streamSize, sink, error) && decoder.finish(sink, error))
        return true;
    out->clear();
    return false;
}

bool encode(const QByteArray &input, const EncodeOptions &encodeOptions,
            QByteArray *properties, QByteArray *stream, QString *error)
{
    if (!properties || !stream) {
        setError(error, QStringLiteral("invalid arguments"));
        return false;
    }
    lzma_options_lzma options{};
    if (encodeOptions.preset < 0 || encodeOptions.preset > 9
        || lzma_lzma_preset(&options, uint32_t(encodeOptions.preset))) {
        setError(error, QStringLiteral("unsupported LZMA preset %1").arg(encodeOptions.preset));
        return false;
    }
    // A dictionary larger than the input buys nothing and makes every
    // decoder allocate it.
    options.dict_size = std::max(kMinDictionarySize,
                                 std::min(options.dict_size, quint32(input.size())));

    // Plain LZMA1 always ends with an end marker; the extended filter
    // without flags leaves it out.
    const lzma_filter filters[] = {
        {encodeOptions.endMarker ? LZMA_FILTER_LZMA1 : LZMA_FILTER_LZMA1EXT, &options},
        {LZMA_VLI_UNKNOWN, nullptr},
    };
    StreamGuard guard;
    lzma_ret ret = lzma_raw_encoder(&guard.strm, filters);
    if (ret != LZMA_OK) {
        setError(error, describe(ret));
        return false;
    }

    try {
        QByteArray encoded;
        // Typical payloads shrink; start with a fraction and grow.
        encoded.resize(std::max(4096, input.size() / 2 + 1024));
        guard.strm.next_in = reinterpret_cast<const uint8_t *>(input.constData());
        guard.strm.avail_in = size_t(input.size());
        for (;;) {
            if (guard.strm.total_out == quint64(encoded.size())) {
                const qint64 grown = qint64(encoded.size()) * 3 / 2;
                if (grown > qint64(std::numeric_limits<int>::max()) - 64) {
                    setError(error, QStringLiteral("compressed stream too large"));
                    return false;
                }
                encoded.resize(int(grown));
            }
            guard.strm.next_out = reinterpret_cast<uint8_t *>(encoded.data()) + guard.strm.total_out;
            guard.strm.avail_out = size_t(encoded.size()) - size_t(guard.strm.total_out);
            ret = lzma_code(&guard.strm, LZMA_FINISH);
            if (ret == LZMA_STREAM_END)
                break;
            if (ret != LZMA_OK) {
                setError(error, describe(ret));
                return false;
            }
        }
        encoded.resize(int(guard.strm.total_out));
        *stream = encoded;
    } catch (const std::bad_alloc &) {
        setError(error, QStringLiteral("out of memory while compressing"));
        return false;
    }

    const quint32 dict = options.dict_size;
    properties->resize(kPropertiesSize);
    (*properties)[0] = char((options.pb * 5 + options.lp) * 9 + options.lc);
    for (int i = 0; i < 4; ++i)
        (*properties)[1 + i] = char((dict >> (8 * i)) & 0xFF);
    return true;
}

} // namespace LzmaCodec
