#pragma once

// A small HTTP/1.1 server on 127.0.0.1 (a free port) standing in for the
// upgrade service and the download hosts: it serves files by path with or
// without ranges, answers canned replies, and records every request's raw
// bytes. One request per connection ("Connection: close"). It may be moved
// to a thread of its own, to answer a child process the test waits for.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

class HttpTestServer : public QObject
{
    Q_OBJECT
public:
    enum RangeMode {
        HonourRanges,   // 206 with Content-Range, 416 past the end
        IgnoreRanges,   // always 200 with the whole file
        RangeFromZero,  // 206 "bytes 0-…" whatever was asked
    };

    struct File {
        File() = default;
        explicit File(const QByteArray& bytes) : content(bytes) {}
        QByteArray content;
        RangeMode ranges = HonourRanges;
        // Send at most this many body bytes, then close the connection
        // (the headers still announce the whole length); -1: everything.
        qint64 dropAfter = -1;
        // Send this many body bytes, then nothing more, keeping the
        // connection open; -1: everything.
        qint64 stallAfter = -1;
        // A 206 part carries at most this many bytes; -1: the rest.
        qint64 partSize = -1;
        // Send the body one byte every this many milliseconds (a server
        // that keeps the transfer alive without delivering); 0: at once.
        int trickleMs = 0;
        // Extra header lines ("Name: value\r\n" each).
        QByteArray extraHeaders;
    };

    explicit HttpTestServer(QObject* parent = nullptr);
    bool start();
    QString url(const QString& path) const;

    void serve(const QString& path, const File& file) { m_files.insert(path, file); }
    void serve(const QString& path, const QByteArray& content) { m_files.insert(path, File(content)); }
    // Written verbatim for any request of path (the query ignored).
    void reply(const QString& path, const QByteArray& raw) { m_raw.insert(path, raw); }
    // A JSON answer with status 200.
    void replyJson(const QString& path, const QByteArray& json);
    static QByteArray jsonReply(const QByteArray& json);
    // Asked first for every request; a non-empty answer is written verbatim.
    void setHandler(std::function<QByteArray(const QByteArray& request)> handler) { m_handler = std::move(handler); }

    // Whole requests (head and body) in arrival order.
    QList<QByteArray> requests() const { return m_requests; }
    // The request line's target ("/a?b=c") of each request.
    QStringList targets() const;
    // The value of a header in request i ("" when absent).
    QByteArray header(int i, const QByteArray& name) const;
    void clear() { m_requests.clear(); }

private:
    void onNewConnection();
    void onReadable(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QByteArray& request);

    QTcpServer m_server;
    QHash<QString, File> m_files;
    QHash<QString, QByteArray> m_raw;
    std::function<QByteArray(const QByteArray&)> m_handler;
    QHash<QTcpSocket*, QByteArray> m_pending;
    QList<QByteArray> m_requests;
};
