#pragma once

#include <QByteArray>
#include <QString>

// Reads the payload of an update package as it is decoded, in pieces of any
// size, without holding more than one file name:
//   version  QString
//   count    quint32
//   count x  { name QString, size quint32, content QByteArray }
// (Qt 5.1 data stream, big-endian: strings are a 32-bit byte length,
// 0xFFFFFFFF for a null string, then UTF-16 code units; byte arrays a
// 32-bit length, 0xFFFFFFFF for null, then the bytes.)
//
// Every length is checked against the bytes the payload can still hold
// (its announced size) before it is used. A file count of 0 or above
// kMaxFiles, a size field that differs from the content length, an odd
// string length, a file name longer than kMaxNameBytes, names longer than
// kMaxNameBytesInAll together and a version longer than kMaxVersionBytes
// fail: what the caller keeps per file stays bounded
// whatever the payload claims.
// Bytes after the last file are ignored.
class PayloadStreamParser
{
public:
    static constexpr quint32 kMaxNameBytes = 8192;       // 4096 UTF-16 units
    static constexpr quint32 kMaxVersionBytes = 65536;
    static constexpr quint32 kMaxFiles = 65536;
    static constexpr quint64 kMaxNameBytesInAll = 16 * 1024 * 1024;

    // What the parser finds, in payload order. A false answer stops the
    // parsing with the handler's reason.
    class Handler
    {
    public:
        virtual ~Handler() = default;
        virtual bool payloadVersion(const QString &version, QString *why)
        {
            Q_UNUSED(version)
            Q_UNUSED(why)
            return true;
        }
        // name exactly as stored; size checked against the content length.
        virtual bool beginFile(const QString &name, quint32 size, QString *why) = 0;
        // The content in pieces; data points into the piece given to push().
        virtual bool fileData(const char *data, int size, QString *why) = 0;
        virtual bool endFile(QString *why) = 0;
    };

    // payloadSize: the announced size of the whole payload.
    PayloadStreamParser(Handler &handler, quint64 payloadSize);

    // The next piece of the payload. False on damaged framing or when the
    // handler refuses; the parser is then spent.
    bool push(const char *data, int size);
    // After the last piece: true when every file was read whole.
    bool finish();

    bool done() const { return m_state == State::Done; }
    quint32 fileCount() const { return m_count; }
    // Position in the payload of the next byte.
    quint64 position() const { return m_position; }
    QString error() const { return m_error; }
    // Whether the failure was the handler's refusal rather than damage.
    bool handlerRefused() const { return m_refused; }

private:
    enum class State { VersionLength, Version, Count, NameLength, Name, SizeField, ContentLength, Content, Done, Failed };

    bool fail(const QString &why);
    bool refuse(const QString &why);
    // Takes bytes into m_field until it holds `want` bytes; true when full.
    bool gather(const char *&data, int &size, int want);
    quint32 fieldValue() const;
    bool stringLength(quint32 length, quint32 limit, const char *what);
    QString fieldText() const;
    bool step(const char *&data, int &size);

    Handler &m_handler;
    quint64 m_payloadSize;
    quint64 m_position = 0;
    State m_state = State::VersionLength;
    QByteArray m_field;
    int m_want = 0;
    bool m_null = false;
    quint32 m_count = 0;
    quint32 m_index = 0;
    QString m_name;
    quint32 m_size = 0;
    quint32 m_contentLeft = 0;
    quint64 m_nameBytes = 0;
    QString m_error;
    bool m_refused = false;
};
