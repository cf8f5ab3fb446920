#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QPair>
#include <QTimer>
#include <QVector>

// Lets one instance of the program run per machine. start() probes the
// server name: when an instance answers there, this process is a later
// instance: it sends "CMD:show;", waits for "RES:<pid>;" and asks to quit.
// Otherwise it starts the server and becomes the first instance, which
// answers every "CMD:" command of later instances and acts on "show".
// On Linux the running instance raises its own window when it receives
// "show"; the later one only waits for the answer.
//
// Other users of the machine take no part: the socket lies in a folder only
// this user can reach (privateRuntimeFolder()), and both ends check the
// user of the process at the other end of the socket and ignore strangers.
// A later instance waits a bounded time for the answer; a client that sends
// a command longer than kMaxCommandBytes, or does not read its answers, is
// dropped.
class InstanceGuard : public QObject
{
    Q_OBJECT
public:
    explicit InstanceGuard(const QString& serverName, QObject* parent = nullptr);

    static QString defaultServerName();   // "Global\{776E7BB3-...}"
    QString serverName() const { return m_serverName; }
    // The socket file: the server name itself when it is an absolute path,
    // else the name in the private runtime folder. Known once start() ran.
    QString serverPath() const { return m_serverPath; }

    // Longest command a client may send, and most answer bytes it may leave
    // unread, before it is dropped.
    static constexpr int kMaxCommandBytes = 4096;
    static constexpr int kMaxUnreadAnswerBytes = 65536;
    // How long a later instance waits for the running one to answer.
    static constexpr int kDefaultAnswerTimeoutMs = 5000;

    // The user whose processes are talked to; by default the one running
    // this process.
    void setTrustedUserId(uint uid) { m_trustedUid = uid; }
    void setAnswerTimeout(int milliseconds) { m_answerTimer.setInterval(milliseconds); }

    // Connects the signals and starts the probe; the rest is driven by the
    // socket's signals.
    void start();

    bool isListening() const { return m_server.isListening(); }
    bool waitingForAnswer() const { return m_waitingForAnswer; }
    int clientCount() const { return m_clients.size(); }

signals:
    // This process is the first instance and its server listens.
    void firstInstance();
    // A later instance sent a command.
    void commandReceived(const QString& name);
    // The later-instance exchange is over (answered or broken), or the
    // server could not start: the process should quit.
    void quitRequested();

public slots:
    void socketConnected();
    void socketError(QLocalSocket::LocalSocketError e);
    void socketDisconnected();
    void socketWritten(qint64 bytes);
    void socketReading();
    void newInstanceConnected();
    void readClients();
    void removeClients();

private:
    bool listen();
    void answerTimedOut();
    // True when the process at the other end of the socket descriptor runs
    // as the trusted user.
    bool trusted(qintptr descriptor) const;
    void becomeFirstInstance();

    QString m_serverName;
    QString m_serverPath;
    uint m_trustedUid = 0;
    QTimer m_answerTimer;
    QLocalSocket m_socket;
    QString m_answer;
    QLocalServer m_server;
    QVector<QPair<QLocalSocket*, QByteArray>> m_clients;
    bool m_waitingForAnswer = false;
    bool m_started = false;
};
