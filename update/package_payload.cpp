#include "package_payload.h"

#include "package_format.h"
#include "payload_stream_parser.h"

#include <QDataStream>

#include <new>

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Records where each file's content lies in the payload buffer, which the
// parser is given in one piece.
class EntryCollector : public PayloadStreamParser::Handler
{
public:
    explicit EntryCollector(PackagePayload &payload) : m_payload(payload) {}
    void setParser(const PayloadStreamParser *parser) { m_parser = parser; }

    bool payloadVersion(const QString &version, QString *) override
    {
        m_payload.version = version;
        return true;
    }
    bool beginFile(const QString &name, quint32 size, QString *) override
    {
        PackageEntry entry;
        entry.name = name;
        entry.size = size;
        entry.offset = int(m_parser->position());
        m_payload.entries.append(entry);
        return true;
    }
    bool fileData(const char *, int, QString *) override { return true; }
    bool endFile(QString *) override { return true; }

private:
    PackagePayload &m_payload;
    const PayloadStreamParser *m_parser = nullptr;
};

qint64 serialisedStringSize(const QString &text)
{
    return 4 + (text.isNull() ? 0 : 2 * qint64(text.size()));
}

} // namespace

bool parsePayload(const QByteArray &bytes, PackagePayload *payload, QString *error)
{
    if (!payload) {
        setError(error, QStringLiteral("invalid arguments"));
        return false;
    }
    PackagePayload result;
    result.bytes = bytes;
    EntryCollector collector(result);
    PayloadStreamParser parser(collector, quint64(bytes.size()));
    collector.setParser(&parser);
    if (!parser.push(bytes.constData(), bytes.size()) || !parser.finish()) {
        setError(error, parser.error());
        return false;
    }
    *payload = result;
    return true;
}

bool buildPayload(const QString &version, const QVector<PackageFile> &files, QByteArray *out,
                  QString *error)
{
    if (!out) {
        setError(error, QStringLiteral("invalid arguments"));
        return false;
    }
    if (files.isEmpty()) {
        setError(error, QStringLiteral("a package needs at least one file"));
        return false;
    }
    qint64 total = serialisedStringSize(version) + 4;
    for (const PackageFile &file : files)
        total += serialisedStringSize(file.name) + 4 + 4 + file.content.size();
    if (total > qint64(PackageFormat::kMaxUnpackedSize)) {
        setError(error, QStringLiteral("payload of %1 bytes exceeds the limit of %2 bytes")
                            .arg(total)
                            .arg(PackageFormat::kMaxUnpackedSize));
        return false;
    }
    try {
        QByteArray bytes;
        bytes.reserve(int(total));
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream.setVersion(PackageFormat::kDataStreamVersion);
        stream.setByteOrder(QDataStream::BigEndian);
        stream << version << quint32(files.size());
        for (const PackageFile &file : files)
            stream << file.name << quint32(file.content.size()) << file.content;
        if (stream.status() != QDataStream::Ok || bytes.size() != total) {
            setError(error, QStringLiteral("payload serialisation failed"));
            return false;
        }
        *out = bytes;
    } catch (const std::bad_alloc &) {
        setError(error, QStringLiteral("out of memory while building the payload"));
        return false;
    }
    return true;
}
