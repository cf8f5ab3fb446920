#include "package_payload.h"

#include "package_format.h"

#include <QDataStream>
#include <QtEndian>

#include <new>

namespace {

constexpr quint32 kNullLength = 0xFFFFFFFFu;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Reads the payload framing from a byte buffer, never trusting a length
// beyond the bytes that remain.
class PayloadCursor
{
public:
    explicit PayloadCursor(const QByteArray &bytes)
        : m_data(reinterpret_cast<const uchar *>(bytes.constData())), m_size(bytes.size())
    {
    }

    int position() const { return m_pos; }
    int remaining() const { return m_size - m_pos; }

    bool readUInt32(quint32 *value)
    {
        if (remaining() < 4)
            return false;
        *value = qFromBigEndian<quint32>(m_data + m_pos);
        m_pos += 4;
        return true;
    }

    bool readString(QString *value, QString *why)
    {
        quint32 length = 0;
        if (!readUInt32(&length)) {
            *why = QStringLiteral("string length missing");
            return false;
        }
        if (length == kNullLength) {
            *value = QString();
            return true;
        }
        if (length % 2 != 0) {
            *why = QStringLiteral("odd string length %1").arg(length);
            return false;
        }
        if (length > quint32(remaining())) {
            *why = QStringLiteral("string of %1 bytes but only %2 remain").arg(length).arg(remaining());
            return false;
        }
        const int units = int(length / 2);
        QString text(units, Qt::Uninitialized);
        QChar *out = text.data();
        for (int i = 0; i < units; ++i)
            out[i] = QChar(qFromBigEndian<quint16>(m_data + m_pos + 2 * i));
        m_pos += int(length);
        *value = text;
        return true;
    }

    // Records where the bytes are instead of copying them.
    bool readBytes(int *offset, quint32 *length, QString *why)
    {
        if (!readUInt32(length)) {
            *why = QStringLiteral("content length missing");
            return false;
        }
        if (*length == kNullLength)
            *length = 0;
        if (*length > quint32(remaining())) {
            *why = QStringLiteral("content of %1 bytes but only %2 remain").arg(*length).arg(remaining());
            return false;
        }
        *offset = m_pos;
        m_pos += int(*length);
        return true;
    }

private:
    const uchar *m_data;
    int m_size;
    int m_pos = 0;
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
    PayloadCursor cursor(bytes);
    QString why;
    if (!cursor.readString(&result.version, &why)) {
        setError(error, QStringLiteral("payload version: %1").arg(why));
        return false;
    }
    quint32 count = 0;
    if (!cursor.readUInt32(&count)) {
        setError(error, QStringLiteral("payload file count missing"));
        return false;
    }
    if (count == 0) {
        setError(error, QStringLiteral("package holds no files"));
        return false;
    }
    // Each entry takes at least 12 bytes, which bounds what a forged count
    // can make us reserve.
    result.entries.reserve(int(qMin<quint32>(count, quint32(cursor.remaining() / 12))));
    for (quint32 i = 0; i < count; ++i) {
        PackageEntry entry;
        quint32 size = 0;
        quint32 length = 0;
        if (!cursor.readString(&entry.name, &why) || !cursor.readUInt32(&size)
            || !cursor.readBytes(&entry.offset, &length, &why)) {
            if (why.isEmpty())
                why = QStringLiteral("size field missing");
            setError(error, QStringLiteral("file %1 of %2 at payload offset %3: %4")
                                .arg(i + 1)
                                .arg(count)
                                .arg(cursor.position())
                                .arg(why));
            return false;
        }
        if (size != length) {
            setError(error, QStringLiteral("file \"%1\" announces %2 bytes but holds %3")
                                .arg(entry.name)
                                .arg(size)
                                .arg(length));
            return false;
        }
        entry.size = size;
        result.entries.append(entry);
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
