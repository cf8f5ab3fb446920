#include "instance_guard.h"

#include "instance_commands.h"
#include "logging.h"

#include <QCoreApplication>

InstanceGuard::InstanceGuard(const QString& serverName, QObject* parent)
    : QObject(parent)
    , m_serverName(serverName)
{
}

QString InstanceGuard::defaultServerName()
{
    return QStringLiteral("Global\\{776E7BB3-A590-447E-8C5F-21E6F2319DD3}");
}

void InstanceGuard::start()
{
    if (m_started)
        return;
    m_started = true;
    connect(&m_socket, &QLocalSocket::connected, this, &InstanceGuard::socketConnected);
    connect(&m_socket, &QLocalSocket::disconnected, this, &InstanceGuard::socketDisconnected);
    connect(&m_socket, &QLocalSocket::errorOccurred, this, &InstanceGuard::socketError);
    connect(&m_socket, &QLocalSocket::bytesWritten, this, &InstanceGuard::socketWritten);
    connect(&m_socket, &QLocalSocket::readyRead, this, &InstanceGuard::socketReading);
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceGuard::newInstanceConnected);

    LOG_INFO(QStringLiteral("Application Info: connecting local socket to %1..").arg(m_serverName));
    m_socket.connectToServer(m_serverName, QIODevice::ReadWrite);
}

void InstanceGuard::socketConnected()
{
    LOG_INFO(QStringLiteral("Application Info: socket connected, this is not the first application instance, "
                            "sending show command.."));
    m_waitingForAnswer = true;
    const QByteArray command = InstanceCommands::command(QStringLiteral("show"));
    LOG_INFO(QStringLiteral("Application Info: writing commands %1").arg(QString::fromLocal8Bit(command)));
    m_socket.write(command);
}

void InstanceGuard::socketWritten(qint64)
{
    if (m_socket.state() == QLocalSocket::ConnectedState) {
        if (m_socket.bytesToWrite() == 0)
            LOG_INFO(QStringLiteral("Application Info: show command written, waiting response.."));
    } else {
        LOG_ERROR(QStringLiteral("Application Error: socket is not connected %1").arg(int(m_socket.state())));
    }
}

void InstanceGuard::socketReading()
{
    if (m_socket.state() != QLocalSocket::ConnectedState) {
        LOG_ERROR(QStringLiteral("Application Error: socket is not connected %1").arg(int(m_socket.state())));
        return;
    }
    m_answer += QString::fromUtf8(m_socket.readAll());
    quint64 processId = 0;
    if (!InstanceCommands::parseAnswer(m_answer, &processId))
        return;
    LOG_INFO(QStringLiteral("Application Info: show command response received, pid = %1, activating and quiting..")
                 .arg(processId));
    // The exchange is complete: a disconnect from here on is no failure.
    m_waitingForAnswer = false;
    emit quitRequested();
}

void InstanceGuard::socketDisconnected()
{
    if (!m_waitingForAnswer)
        return;
    LOG_ERROR(QStringLiteral("Application Error: socket disconnected before command response received, quiting.."));
    m_waitingForAnswer = false;
    emit quitRequested();
}

void InstanceGuard::socketError(QLocalSocket::LocalSocketError e)
{
    if (m_waitingForAnswer) {
        LOG_ERROR(QStringLiteral("Application Error: could not write show command, error %1, quiting..").arg(int(e)));
        m_waitingForAnswer = false;
        emit quitRequested();
        return;
    }
    if (m_server.isListening())
        return;
    if (e == QLocalSocket::ServerNotFoundError)
        LOG_INFO(QStringLiteral("Application Info: this is the only instance of Orvanta, starting server and app.."));
    else
        LOG_INFO(QStringLiteral("Application Info: socket connect error %1, starting server and app..").arg(int(e)));
    m_socket.abort();

    if (listen()) {
        emit firstInstance();
    } else {
        LOG_ERROR(QStringLiteral("Application Error: failed to start listening to %1 server, error %2")
                      .arg(m_serverName)
                      .arg(int(m_server.serverError())));
        emit quitRequested();
    }
}

bool InstanceGuard::listen()
{
    if (m_server.listen(m_serverName))
        return true;
    if (m_server.serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // A crashed instance leaves its socket file behind. When nothing answers
    // on it, it is stale: remove it and listen once more.
    QLocalSocket probe;
    probe.connectToServer(m_serverName);
    if (probe.waitForConnected(1000))
        return false;
    LOG_INFO(QStringLiteral("Application Info: nothing answers on %1, removing the stale socket and listening again..")
                 .arg(m_serverName));
    QLocalServer::removeServer(m_serverName);
    return m_server.listen(m_serverName);
}

void InstanceGuard::newInstanceConnected()
{
    LOG_INFO(QStringLiteral("Application Info: new local socket connected"));
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        m_clients.append(qMakePair(socket, QByteArray()));
        connect(socket, &QLocalSocket::readyRead, this, &InstanceGuard::readClients);
        connect(socket, &QLocalSocket::disconnected, this, &InstanceGuard::removeClients);
    }
}

void InstanceGuard::readClients()
{
    const QByteArray answer = InstanceCommands::answer(QCoreApplication::applicationPid());
    for (int i = 0; i < m_clients.size(); ++i) {
        QLocalSocket* socket = m_clients[i].first;
        QByteArray& buffer = m_clients[i].second;
        buffer += socket->readAll();
        if (buffer.isEmpty())
            continue;
        const QStringList segments = InstanceCommands::takeSegments(&buffer);
        for (const QString& segment : segments) {
            QString name;
            if (InstanceCommands::commandName(segment, &name)) {
                emit commandReceived(name);
                socket->write(answer);
            } else {
                LOG_ERROR(QStringLiteral("Application Error: unknown command %1 passed in local socket").arg(segment));
            }
        }
    }
}

void InstanceGuard::removeClients()
{
    LOG_INFO(QStringLiteral("Application Info: remove clients slot called, clients %1").arg(m_clients.size()));
    for (int i = m_clients.size() - 1; i >= 0; --i) {
        QLocalSocket* socket = m_clients[i].first;
        if (socket->state() != QLocalSocket::ConnectedState) {
            LOG_INFO(QStringLiteral("Application Info: removing client"));
            m_clients.remove(i);
            // Deleted later: the socket may be the sender of this slot.
            socket->deleteLater();
        }
    }
}
