#include "instance_guard.h"

#include "instance_commands.h"
#include "logging.h"
#include "private_folder.h"

#include <QCoreApplication>
#include <QDir>

#include <sys/socket.h>
#include <unistd.h>

InstanceGuard::InstanceGuard(const QString& serverName, QObject* parent)
    : QObject(parent)
    , m_serverName(serverName)
    , m_trustedUid(::geteuid())
{
    m_answerTimer.setSingleShot(true);
    m_answerTimer.setInterval(kDefaultAnswerTimeoutMs);
    connect(&m_answerTimer, &QTimer::timeout, this, &InstanceGuard::answerTimedOut);
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

    // A fixed name in the shared temporary folder could be taken by another
    // user first; the private folder cannot.
    if (QDir::isAbsolutePath(m_serverName)) {
        m_serverPath = m_serverName;
    } else {
        const QString folder = privateRuntimeFolder();
        if (folder.isEmpty()) {
            // Without a private place the guard cannot work safely: run
            // without it rather than not at all.
            LOG_ERROR(QStringLiteral("Application Error: no private folder for the instance socket, "
                                     "starting without the single-instance guard.."));
            emit firstInstance();
            return;
        }
        m_serverPath = folder + QLatin1Char('/') + m_serverName;
    }

    m_socket.setReadBufferSize(kMaxCommandBytes);
    LOG_INFO(QStringLiteral("Application Info: connecting local socket to %1..").arg(m_serverPath));
    m_socket.connectToServer(m_serverPath, QIODevice::ReadWrite);
}

bool InstanceGuard::trusted(qintptr descriptor) const
{
    struct ucred credentials;
    socklen_t length = sizeof credentials;
    if (descriptor < 0
        || ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0
        || length != sizeof credentials)
        return false;
    return credentials.uid == m_trustedUid;
}

void InstanceGuard::socketConnected()
{
    if (!trusted(m_socket.socketDescriptor())) {
        // Whoever listens there is not this user's program: never obey its
        // answer. This process becomes the first instance.
        LOG_ERROR(QStringLiteral("Application Error: the instance socket %1 is served by another user, ignoring it..")
                      .arg(m_serverPath));
        m_socket.abort();
        becomeFirstInstance();
        return;
    }
    LOG_INFO(QStringLiteral("Application Info: socket connected, this is not the first application instance, "
                            "sending show command.."));
    m_waitingForAnswer = true;
    const QByteArray command = InstanceCommands::command(QStringLiteral("show"));
    LOG_INFO(QStringLiteral("Application Info: writing commands %1").arg(QString::fromLocal8Bit(command)));
    m_socket.write(command);
    m_answerTimer.start();
}

void InstanceGuard::answerTimedOut()
{
    if (!m_waitingForAnswer)
        return;
    // The running instance does not answer: give up as on a broken
    // exchange (logged, then quit), and let go of the socket.
    socketError(QLocalSocket::SocketTimeoutError);
    m_socket.abort();
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
    m_answer += QString::fromUtf8(m_socket.read(kMaxCommandBytes));
    if (m_answer.size() > kMaxCommandBytes || m_socket.bytesAvailable() > 0) {
        LOG_ERROR(QStringLiteral("Application Error: the answer on the instance socket is too long: %1")
                      .arg(Logger::clipped(m_answer)));
        m_socket.abort();
        return;
    }
    quint64 processId = 0;
    if (!InstanceCommands::parseAnswer(m_answer, &processId))
        return;
    LOG_INFO(QStringLiteral("Application Info: show command response received, pid = %1, activating and quiting..")
                 .arg(processId));
    // The exchange is complete: a disconnect from here on is no failure.
    m_waitingForAnswer = false;
    m_answerTimer.stop();
    emit quitRequested();
}

void InstanceGuard::socketDisconnected()
{
    if (!m_waitingForAnswer)
        return;
    LOG_ERROR(QStringLiteral("Application Error: socket disconnected before command response received, quiting.."));
    m_waitingForAnswer = false;
    m_answerTimer.stop();
    emit quitRequested();
}

void InstanceGuard::socketError(QLocalSocket::LocalSocketError e)
{
    if (m_waitingForAnswer) {
        LOG_ERROR(QStringLiteral("Application Error: could not write show command, error %1, quiting..").arg(int(e)));
        m_waitingForAnswer = false;
        m_answerTimer.stop();
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
    becomeFirstInstance();
}

void InstanceGuard::becomeFirstInstance()
{
    if (listen()) {
        emit firstInstance();
    } else {
        LOG_ERROR(QStringLiteral("Application Error: failed to start listening to %1 server, error %2")
                      .arg(m_serverPath)
                      .arg(int(m_server.serverError())));
        emit quitRequested();
    }
}

bool InstanceGuard::listen()
{
    if (m_server.listen(m_serverPath))
        return true;
    if (m_server.serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // A crashed instance leaves its socket file behind. When nothing answers
    // on it, it is stale; when another user's process answers, it has no
    // business in this user's folder. Either way: remove it and listen once
    // more.
    QLocalSocket probe;
    probe.connectToServer(m_serverPath);
    if (probe.waitForConnected(1000) && trusted(probe.socketDescriptor()))
        return false;
    probe.abort();
    LOG_INFO(QStringLiteral("Application Info: nothing answers on %1, removing the stale socket and listening again..")
                 .arg(m_serverPath));
    QLocalServer::removeServer(m_serverPath);
    return m_server.listen(m_serverPath);
}

void InstanceGuard::newInstanceConnected()
{
    LOG_INFO(QStringLiteral("Application Info: new local socket connected"));
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        if (!trusted(socket->socketDescriptor())) {
            LOG_ERROR(QStringLiteral("Application Error: local socket client of another user refused"));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Qt reads no more than this ahead of readClients().
        socket->setReadBufferSize(kMaxCommandBytes);
        m_clients.append(qMakePair(socket, QByteArray()));
        connect(socket, &QLocalSocket::readyRead, this, &InstanceGuard::readClients);
        connect(socket, &QLocalSocket::disconnected, this, &InstanceGuard::removeClients);
    }
}

void InstanceGuard::readClients()
{
    const QByteArray answer = InstanceCommands::answer(QCoreApplication::applicationPid());
    QList<QLocalSocket*> dropped;
    for (int i = 0; i < m_clients.size(); ++i) {
        QLocalSocket* socket = m_clients[i].first;
        QByteArray& buffer = m_clients[i].second;
        // Read in pieces no longer than a command, so that what a client
        // sends is looked at as it comes and never piles up.
        do {
            buffer += socket->read(kMaxCommandBytes);
            if (buffer.isEmpty())
                break;
            const QStringList segments = InstanceCommands::takeSegments(&buffer);
            for (const QString& segment : segments) {
                QString name;
                if (InstanceCommands::commandName(segment, &name)) {
                    emit commandReceived(name);
                    socket->write(answer);
                } else {
                    LOG_ERROR(QStringLiteral("Application Error: unknown command %1 passed in local socket")
                                  .arg(Logger::clipped(segment)));
                }
            }
            if (buffer.size() > kMaxCommandBytes || socket->bytesToWrite() > kMaxUnreadAnswerBytes) {
                LOG_ERROR(QStringLiteral("Application Error: local socket client sent a command over %1 bytes "
                                         "or does not read its answers, dropping it: %2")
                              .arg(kMaxCommandBytes)
                              .arg(Logger::clipped(QString::fromLocal8Bit(buffer))));
                buffer.clear();
                dropped << socket;
                break;
            }
        } while (socket->bytesAvailable() > 0);
    }
    // Dropped after the walk: aborting a socket removes it from the table.
    for (QLocalSocket* socket : qAsConst(dropped))
        socket->abort();
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
