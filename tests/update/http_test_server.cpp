#include "http_test_server.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

HttpTestServer::HttpTestServer(QObject* parent)
    : QObject(parent)
    , m_server(this)
{
    connect(&m_server, &QTcpServer::newConnection, this, &HttpTestServer::onNewConnection);
}

bool HttpTestServer::start()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QString HttpTestServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
}

QByteArray HttpTestServer::jsonReply(const QByteArray& json)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(json.size())
        + "\r\nConnection: close\r\n\r\n" + json;
}

void HttpTestServer::replyJson(const QString& path, const QByteArray& json)
{
    reply(path, jsonReply(json));
}

QStringList HttpTestServer::targets() const
{
    QStringList out;
    for (const QByteArray& request : m_requests)
        out << QString::fromLatin1(request.left(request.indexOf("\r\n")).split(' ').value(1));
    return out;
}

QByteArray HttpTestServer::header(int i, const QByteArray& name) const
{
    const QByteArray request = m_requests.value(i);
    const QByteArray head = request.left(request.indexOf("\r\n\r\n"));
    for (const QByteArray& line : head.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

void HttpTestServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket]() { onReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket]() { m_pending.remove(socket); });
    }
}

void HttpTestServer::onReadable(QTcpSocket* socket)
{
    QByteArray& buffer = m_pending[socket];
    buffer += socket->readAll();
    const int end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    static const QRegularExpression length(QStringLiteral("(?i)\\r\\ncontent-length:\\s*(\\d+)"));
    const QRegularExpressionMatch match = length.match(QString::fromLatin1(buffer.left(end + 2)));
    const int body = match.hasMatch() ? match.captured(1).toInt() : 0;
    if (buffer.size() < end + 4 + body)
        return;
    const QByteArray request = buffer.left(end + 4 + body);
    buffer.clear();
    m_requests << request;
    answer(socket, request);
}

void HttpTestServer::answer(QTcpSocket* socket, const QByteArray& request)
{
    const QString target = QString::fromLatin1(request.left(request.indexOf("\r\n")).split(' ').value(1));
    const QString path = QUrl(target).path();
    const QByteArray handled = m_handler ? m_handler(request) : QByteArray();
    if (!handled.isEmpty() || m_raw.contains(path)) {
        socket->write(handled.isEmpty() ? m_raw.value(path) : handled);
        socket->disconnectFromHost();
        return;
    }
    if (!m_files.contains(path)) {
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
        socket->disconnectFromHost();
        return;
    }
    const File file = m_files.value(path);
    const qint64 size = file.content.size();
    qint64 from = 0;
    static const QRegularExpression rangePattern(QStringLiteral("(?i)\\r\\nrange:\\s*bytes=(\\d+)-"));
    const QRegularExpressionMatch range = rangePattern.match(QString::fromLatin1(request));
    const bool ranged = range.hasMatch() && file.ranges != IgnoreRanges;
    if (ranged)
        from = file.ranges == RangeFromZero ? 0 : range.captured(1).toLongLong();

    QByteArray head;
    QByteArray body;
    if (ranged && from >= size && size > 0) {
        head = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" + QByteArray::number(size)
            + "\r\nContent-Length: 0\r\n";
    } else if (ranged) {
        const qint64 count = file.partSize > 0 ? qMin(file.partSize, size - from) : size - from;
        body = file.content.mid(int(from), int(count));
        head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + QByteArray::number(from) + '-'
            + QByteArray::number(from + count - 1) + '/' + QByteArray::number(size)
            + "\r\nContent-Length: " + QByteArray::number(count) + "\r\n";
    } else {
        body = file.content;
        head = "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(size) + "\r\n";
    }
    head += file.extraHeaders;
    head += "Content-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
    socket->write(head);
    if (file.trickleMs > 0) {
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<int>(0);
        QPointer<QTcpSocket> guard(socket);
        connect(timer, &QTimer::timeout, socket, [guard, timer, sent, body]() {
            if (!guard || *sent >= body.size()) {
                timer->stop();
                return;
            }
            guard->write(body.mid((*sent)++, 1));
        });
        timer->start(file.trickleMs);
        return;
    }
    if (file.stallAfter >= 0) {
        socket->write(body.left(int(file.stallAfter)));
        return;
    }
    if (file.dropAfter >= 0) {
        socket->write(body.left(int(file.dropAfter)));
        socket->disconnectFromHost();
        return;
    }
    socket->write(body);
    socket->disconnectFromHost();
}
