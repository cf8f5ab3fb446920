#include "package_stream.h"

#include "lzma_decoder.h"
#include "minisign.h"
#include "package_format.h"
#include "payload_feed.h"

#include <QCryptographicHash>
#include <QtEndian>

#include <cerrno>
#include <memory>
#include <unistd.h>

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

qint64 MemoryPackageSource::next(const char **data)
{
    if (m_given)
        return 0;
    m_given = true;
    *data = m_bytes.constData();
    return m_bytes.size();
}

qint64 FilePackageSource::next(const char **data)
{
    if (m_buffer.isEmpty())
        m_buffer.resize(kPieceSize);
    for (;;) {
        const ssize_t n = ::read(m_fd, m_buffer.data(), size_t(m_buffer.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        *data = m_buffer.constData();
        return n;
    }
}

bool readPackageStream(PackageSource &source, PayloadStreamParser::Handler &handler, QString *error,
                       PackageStreamInfo *info, const PackageStreamOptions &options)
{
    using namespace PackageFormat;
    const qint64 total = source.size();
    if (total < kMinimumFileSize) {
        setError(error, QStringLiteral("package of %1 bytes is too short").arg(total));
        return false;
    }
    if (total > kMaxPackageFileSize) {
        setError(error, QStringLiteral("package of %1 bytes is too large").arg(total));
        return false;
    }

    QByteArray header;
    QCryptographicHash digest(QCryptographicHash::Sha1);
    LzmaDecoder decoder;
    std::unique_ptr<PayloadStreamParser> parser;
    std::unique_ptr<PayloadFeed> feed;
    quint32 unpackedSize = 0;
    qint64 read = 0;
    // The first failure of the decoder; reading goes on to the end for the
    // digest, which names the real cause when the package was damaged on
    // its way.
    QString decoderError;
    QString why;
    bool stopped = false;
    std::unique_ptr<Blake2b> tail;
    if (!options.expectedTailHash.isEmpty())
        tail.reset(new Blake2b(64));
    const LzmaDecoder::Sink toParser = [&feed](const char *data, int size) { return feed->push(data, size); };

    while (true) {
        const char *piece = nullptr;
        qint64 size = source.next(&piece);
        if (size < 0) {
            setError(error, QStringLiteral("cannot read the package"));
            return false;
        }
        if (size == 0)
            break;
        read += size;
        if (read > total) {
            setError(error, QStringLiteral("the package grew while it was read"));
            return false;
        }
        if (header.size() < kStreamOffset) {
            const int take = int(qMin<qint64>(size, kStreamOffset - header.size()));
            header.append(piece, take);
            piece += take;
            size -= take;
            if (header.size() < kStreamOffset)
                continue;
            digest.addData(header.constData() + kPropertiesOffset, kStreamOffset - kPropertiesOffset);
            if (tail)
                tail->add(header.constData() + kDigestOffset, kStreamOffset - kDigestOffset);
            unpackedSize = qFromLittleEndian<quint32>(header.constData() + kUnpackedSizeOffset);
            if (unpackedSize > kMaxUnpackedSize) {
                decoderError = QStringLiteral("announced payload of %1 bytes exceeds the limit of %2 bytes")
                                   .arg(unpackedSize)
                                   .arg(kMaxUnpackedSize);
                stopped = true;
            } else if (!decoder.start(header.mid(kPropertiesOffset, kPropertiesSize), unpackedSize, &why)) {
                decoderError = QStringLiteral("cannot decompress the payload: %1").arg(why);
                stopped = true;
            } else {
                parser.reset(new PayloadStreamParser(handler, unpackedSize));
                feed.reset(new PayloadFeed(*parser, options.threaded && unpackedSize >= options.threadedFrom));
            }
        }
        if (size == 0)
            continue;
        digest.addData(piece, int(size));
        if (tail)
            tail->add(piece, size);
        if (!stopped && !decoder.feed(piece, size, toParser, &why)) {
            decoderError = QStringLiteral("cannot decompress the payload: %1").arg(why);
            stopped = true;
        }
    }
    if (read != total || header.size() < kStreamOffset) {
        setError(error, QStringLiteral("cannot read the package completely"));
        return false;
    }
    if (digest.result() != header.mid(kDigestOffset, kDigestSize)) {
        setError(error, QStringLiteral("SHA-1 digest does not match the package contents"));
        return false;
    }
    if (tail && tail->result() != options.expectedTailHash) {
        setError(error, QStringLiteral("the package changed after its signature was checked"));
        return false;
    }
    if (!stopped && !decoder.finish(toParser, &why)) {
        decoderError = QStringLiteral("cannot decompress the payload: %1").arg(why);
        stopped = true;
    }
    // Waits for the parser; after this its state may be read here.
    const bool fed = feed && feed->finish();
    if (parser && (!fed || !parser->finish()) && !parser->error().isEmpty()) {
        // The parser's reason comes first: a refused piece stops the
        // decoder too.
        setError(error, parser->handlerRefused() ? parser->error()
                                                 : QStringLiteral("damaged payload: %1").arg(parser->error()));
        return false;
    }
    if (stopped) {
        setError(error, decoderError);
        return false;
    }
    if (info) {
        info->unpackedSize = unpackedSize;
        info->dictionarySize = decoder.dictionarySize();
    }
    return true;
}
