#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QPair>
#include <QVector>

// Lets one instance of the program run per machine. start() probes the
// server name: when an instance answers there, this process is a later
// instance: it sends "CMD:show;", waits for "RES:<pid>;" and asks to quit.
// Otherwise it starts the server and becomes the first instance, which
// answers every "CMD:" command of later instances and acts on "show".
// On Linux the running instance raises its own window when it receives
// "show"; the later one only waits for the answer.
class InstanceGuard : public QObject
{
    Q_OBJECT
public:
    explicit InstanceGuard(const QString& serverName, QObject* parent = nullptr);

    static QString defaultServerName();   // "Global\{776E7BB3-...}"
    QString serverName() const { return m_serverName; }

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

    QString m_serverName;
    QLocalSocket m_socket;
    QString m_answer;
    QLocalServer m_server;
    QVector<QPair<QLocalSocket*, QByteArray>> m_clients;
    bool m_waitingForAnswer = false;
    bool m_started = false;
};
