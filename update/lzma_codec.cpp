#include "lzma_codec.h"

#include <lzma.h>

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
    if (properties.size() != kPropertiesSize) {
        setError(error, QStringLiteral("LZMA properties must be %1 bytes").arg(kPropertiesSize));
        return false;
    }
    const auto *p = reinterpret_cast<const uchar *>(properties.constData());
    uint d = p[0];
    if (d >= 9 * 5 * 5) {
        setError(error, QStringLiteral("invalid LZMA properties byte 0x%1").arg(d, 2, 16, QLatin1Char('0')));
        return false;
    }
    lzma_options_lzma options{};
    options.lc = d % 9;
    d /= 9;
    options.lp = d % 5;
    options.pb = d / 5;
    const quint32 dictionary = quint32(p[1]) | (quint32(p[2]) << 8) | (quint32(p[3]) << 16)
                               | (quint32(p[4]) << 24);
    // The dictionary size comes from the file. No match can reach further
    // back than the bytes produced so far, so a dictionary as large as the
    // whole output decodes identically; clamping keeps a forged 4 GiB
    // dictionary from being allocated.
    options.dict_size = std::max(kMinDictionarySize,
                                 std::min(dictionary, std::max(unpackedSize, kMinDictionarySize)));
    // The size is known from the package, so the end marker is optional.
    options.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
    lzma_set_ext_size(options, unpackedSize);

    if (unpackedSize > quint32(std::numeric_limits<int>::max() - 64)) {
        setError(error, QStringLiteral("unpacked size %1 is too large").arg(unpackedSize));
        return false;
    }
    try {
        out->clear();
        out->resize(int(unpackedSize));
    } catch (const std::bad_alloc &) {
        out->clear();
        setError(error, QStringLiteral("cannot allocate %1 bytes for the payload").arg(unpackedSize));
        return false;
    }
    if (unpackedSize == 0)
        return true;

    const lzma_filter filters[] = {
        {LZMA_FILTER_LZMA1EXT, &options},
        {LZMA_VLI_UNKNOWN, nullptr},
    };
    StreamGuard guard;
    lzma_ret ret = lzma_raw_decoder(&guard.strm, filters);
    if (ret != LZMA_OK) {
        out->clear();
        setError(error, describe(ret));
        return false;
    }
    guard.strm.next_in = reinterpret_cast<const uint8_t *>(stream);
    guard.strm.avail_in = size_t(streamSize);
    guard.strm.next_out = reinterpret_cast<uint8_t *>(out->data());
    guard.strm.avail_out = unpackedSize;
    do {
        ret = lzma_code(&guard.strm, LZMA_FINISH);
    } while (ret == LZMA_OK && guard.strm.avail_out > 0);

    // Success is "every announced byte was produced". Once the output is
    // complete the decoder may still look for an end marker and complain
    // about whatever bytes follow; those bytes carry no payload, so they are
    // ignored like any other decoder for this format ignores them.
    if (guard.strm.total_out == unpackedSize)
        return true;
    out->clear();
    if (ret == LZMA_OK || ret == LZMA_STREAM_END || ret == LZMA_BUF_ERROR) {
        setError(error, QStringLiteral("LZMA stream decodes to %1 of the %2 announced bytes")
                            .arg(guard.strm.total_out)
                            .arg(unpackedSize));
    } else {
        setError(error, describe(ret));
    }
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
