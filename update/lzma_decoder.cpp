#include "lzma_decoder.h"

#include <lzma.h>

#include <algorithm>

namespace {

constexpr quint32 kMinDictionarySize = 4096;  // liblzma's lower bound

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

struct LzmaDecoder::State {
    lzma_stream strm = LZMA_STREAM_INIT;
    bool started = false;
    bool failed = false;
    quint32 unpackedSize = 0;
    quint32 dictionary = 0;
    QByteArray output;

    ~State() { lzma_end(&strm); }
};

LzmaDecoder::LzmaDecoder()
    : m_state(new State)
{
}

LzmaDecoder::~LzmaDecoder() = default;

bool LzmaDecoder::start(const QByteArray &properties, quint32 unpackedSize, QString *error)
{
    State &s = *m_state;
    lzma_end(&s.strm);
    s.strm = LZMA_STREAM_INIT;
    s.started = false;
    s.failed = true;
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
    options.dict_size = std::max(kMinDictionarySize,
                                 std::min(dictionary, std::max(unpackedSize, kMinDictionarySize)));
    // The size is known from the package, so the end marker is optional.
    options.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
    lzma_set_ext_size(options, unpackedSize);

    const lzma_filter filters[] = {
        {LZMA_FILTER_LZMA1EXT, &options},
        {LZMA_VLI_UNKNOWN, nullptr},
    };
    const lzma_ret ret = lzma_raw_decoder(&s.strm, filters);
    if (ret != LZMA_OK) {
        setError(error, ret == LZMA_MEM_ERROR ? QStringLiteral("out of memory")
                                              : QStringLiteral("unsupported LZMA properties"));
        return false;
    }
    s.unpackedSize = unpackedSize;
    s.dictionary = options.dict_size;
    s.output.resize(int(std::min<quint32>(kOutputChunk, std::max<quint32>(unpackedSize, 1))));
    s.started = true;
    s.failed = false;
    return true;
}

bool LzmaDecoder::feed(const char *data, qint64 size, const Sink &sink, QString *error)
{
    State &s = *m_state;
    if (!s.started || s.failed) {
        setError(error, QStringLiteral("the LZMA decoder is not ready"));
        return false;
    }
    if (size <= 0 || complete())
        return true;
    s.strm.next_in = reinterpret_cast<const uint8_t *>(data);
    s.strm.avail_in = size_t(size);
    return run(false, sink, error);
}

bool LzmaDecoder::finish(const Sink &sink, QString *error)
{
    State &s = *m_state;
    if (!s.started || s.failed) {
        setError(error, QStringLiteral("the LZMA decoder is not ready"));
        return false;
    }
    s.strm.next_in = nullptr;
    s.strm.avail_in = 0;
    if (!complete() && !run(true, sink, error))
        return false;
    if (complete())
        return true;
    s.failed = true;
    setError(error, QStringLiteral("LZMA stream decodes to %1 of the %2 announced bytes")
                        .arg(s.strm.total_out)
                        .arg(s.unpackedSize));
    return false;
}

bool LzmaDecoder::run(bool finishing, const Sink &sink, QString *error)
{
    State &s = *m_state;
    int idle = 0;
    while (!complete() && (finishing || s.strm.avail_in > 0)) {
        // Never ask for more than the announced size: the bytes after it
        // carry no payload, whatever the decoder would make of them.
        const quint64 left = quint64(s.unpackedSize) - s.strm.total_out;
        const size_t room = size_t(std::min<quint64>(quint64(s.output.size()), left));
        const size_t inBefore = s.strm.avail_in;
        s.strm.next_out = reinterpret_cast<uint8_t *>(s.output.data());
        s.strm.avail_out = room;
        const lzma_ret ret = lzma_code(&s.strm, finishing ? LZMA_FINISH : LZMA_RUN);
        const size_t made = room - s.strm.avail_out;
        if (made > 0 && !sink(s.output.constData(), int(made))) {
            s.failed = true;
            setError(error, QStringLiteral("the payload was refused"));
            return false;
        }
        if (ret == LZMA_STREAM_END)
            break;
        if (ret != LZMA_OK) {
            // Once every announced byte is out, what follows is ignored.
            if (complete())
                break;
            s.failed = true;
            if (ret == LZMA_BUF_ERROR) {
                setError(error, QStringLiteral("LZMA stream decodes to %1 of the %2 announced bytes")
                                    .arg(s.strm.total_out)
                                    .arg(s.unpackedSize));
            } else if (ret == LZMA_DATA_ERROR) {
                setError(error, QStringLiteral("corrupt LZMA data"));
            } else {
                setError(error, QStringLiteral("LZMA error %1").arg(int(ret)));
            }
            return false;
        }
        // No progress twice in a row cannot happen with input or room
        // left; stop rather than spin should the library ever do it.
        if (made == 0 && s.strm.avail_in == inBefore && ++idle > 1)
            break;
        if (made > 0 || s.strm.avail_in != inBefore)
            idle = 0;
    }
    return true;
}

bool LzmaDecoder::complete() const
{
    return m_state->started && m_state->strm.total_out >= m_state->unpackedSize;
}

quint64 LzmaDecoder::produced() const
{
    return m_state->strm.total_out;
}

quint32 LzmaDecoder::dictionarySize() const
{
    return m_state->dictionary;
}
