#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// A raw LZMA1 stream decoded piece by piece: the input arrives in pieces of
// any size, the output leaves in pieces of at most kOutputChunk bytes, so a
// package of any size decodes in the memory of its dictionary plus two
// buffers.
//
// The stream must produce exactly the announced size; it may or may not end
// with an end marker, and input after the last announced byte is ignored.
class LzmaDecoder
{
public:
    static constexpr int kOutputChunk = 256 * 1024;
    // The property bytes that precede a raw stream (lc/lp/pb and the
    // dictionary size).
    static constexpr int kPropertiesSize = 5;

    // Receives each decoded piece; false stops the decoding (an error).
    using Sink = std::function<bool(const char *data, int size)>;

    LzmaDecoder();
    ~LzmaDecoder();
    LzmaDecoder(const LzmaDecoder &) = delete;
    LzmaDecoder &operator=(const LzmaDecoder &) = delete;

    // Prepares a stream with these 5 property bytes that decodes to
    // unpackedSize bytes. The dictionary the properties ask for is clamped
    // to the announced size: no match reaches further back than the bytes
    // produced, so a forged 4 GiB dictionary is never allocated.
    bool start(const QByteArray &properties, quint32 unpackedSize, QString *error = nullptr);

    // Decodes the next piece of input. False on corrupt data or when the
    // sink refuses a piece; the decoder is then spent.
    bool feed(const char *data, qint64 size, const Sink &sink, QString *error = nullptr);

    // After the last piece: true when every announced byte was produced.
    bool finish(const Sink &sink, QString *error = nullptr);

    bool complete() const;
    quint64 produced() const;
    // The dictionary size in use after clamping.
    quint32 dictionarySize() const;

private:
    bool run(bool finishing, const Sink &sink, QString *error);

    struct State;
    std::unique_ptr<State> m_state;
};
