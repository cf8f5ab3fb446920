// The single-instance guard between real processes: a served instance
// (instance_peer) and later instances, raw clients or a second peer.
#include "instance_commands.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestInstanceGuard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void segmentsAndAnswers();
    void splitCommandRunsOnceWhenComplete();
    void twoCommandsInOneWriteGetTwoAnswers();
    void otherCommandsAnsweredGarbageNot();
    void laterInstanceQuitsAfterAnswer();
    void staleSocketFileIsReplaced();
    void socketInSharedTempIsNotUsed();
    void strangersAreIgnoredOnBothEnds();
    void silentServerIsGivenUp();
    void overlongCommandDropsTheClient();

private:
    QProcess* startPeer(const QString& logName, const QStringList& extra = {});
    QString socketPath() const { return m_runtime.path() + "/orvanta/" + m_name; }
    // Waits for a line starting with prefix on the peer's stdout.
    QString waitForLine(QProcess* peer, const QString& prefix, int timeoutMs = 10000);
    QByteArray readAnswers(QLocalSocket& socket, int expected);
    QString log(const QString& name) const;

    QTemporaryDir m_dir;
    // The session's runtime folder of the tests and their peers.
    QTemporaryDir m_runtime;
    QString m_name;
    QList<QProcess*> m_peers;
    QMap<QProcess*, QStringList> m_lines;
};

void TestInstanceGuard::initTestCase()
{
    QVERIFY(m_runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
}

void TestInstanceGuard::init()
{
    m_name = QStringLiteral("orvanta-test-%1").arg(QRandomGenerator::global()->generate());
}

void TestInstanceGuard::cleanup()
{
    for (QProcess* peer : m_peers) {
        peer->kill();
        peer->waitForFinished(5000);
        delete peer;
    }
    m_peers.clear();
    m_lines.clear();
    QFile::remove(socketPath());
}

QProcess* TestInstanceGuard::startPeer(const QString& logName, const QStringList& extra)
{
    auto* peer = new QProcess;
    m_peers << peer;
    peer->start(QCoreApplication::applicationDirPath() + "/instance_peer",
                QStringList({m_name, m_dir.filePath(logName)}) + extra);
    return peer;
}

QString TestInstanceGuard::waitForLine(QProcess* peer, const QString& prefix, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        QStringList& lines = m_lines[peer];
        while (peer->canReadLine())
            lines << QString::fromLocal8Bit(peer->readLine()).trimmed();
        for (int i = 0; i < lines.size(); ++i)
            if (lines[i].startsWith(prefix))
                return lines.takeAt(i);
        if (peer->state() == QProcess::NotRunning && !peer->canReadLine())
            return QString();
        peer->waitForReadyRead(100);
    }
    return QString();
}

QByteArray TestInstanceGuard::readAnswers(QLocalSocket& socket, int expected)
{
    QByteArray answers;
    QElapsedTimer timer;
    timer.start();
    while (answers.count(';') < expected && timer.elapsed() < 10000) {
        socket.waitForReadyRead(100);
        answers += socket.readAll();
    }
    return answers;
}

QString TestInstanceGuard::log(const QString& name) const
{
    QFile file(m_dir.filePath(name));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

void TestInstanceGuard::segmentsAndAnswers()
{
    QByteArray buffer("CMD:show;CMD:hel");
    QCOMPARE(InstanceCommands::takeSegments(&buffer), QStringList({"CMD:show"}));
    QCOMPARE(buffer, QByteArray("CMD:hel"));
    buffer += "lo;x";
    QCOMPARE(InstanceCommands::takeSegments(&buffer), QStringList({"CMD:hello"}));
    QCOMPARE(buffer, QByteArray("x"));
    QVERIFY(InstanceCommands::takeSegments(&buffer).isEmpty());

    QString name;
    QVERIFY(InstanceCommands::commandName("CMD:show", &name));
    QCOMPARE(name, QString("show"));
    QVERIFY(!InstanceCommands::commandName("cmd:show", &name));

    quint64 pid = 1;
    QVERIFY(!InstanceCommands::parseAnswer("RES:12", &pid));
    QVERIFY(InstanceCommands::parseAnswer("RES:4711;", &pid));
    QCOMPARE(pid, quint64(4711));
    // Text before the answer makes the number unreadable: no window, pid 0.
    QVERIFY(InstanceCommands::parseAnswer("xRES:12;", &pid));
    QCOMPARE(pid, quint64(0));
    QCOMPARE(InstanceCommands::command("show"), QByteArray("CMD:show;"));
}

void TestInstanceGuard::splitCommandRunsOnceWhenComplete()
{
    QProcess* first = startPeer("first.log");
    const QString served = waitForLine(first, "FIRST ");
    QVERIFY2(!served.isEmpty(), qPrintable(first->readAllStandardError()));
    const QByteArray expected = "RES:" + served.mid(6).toLatin1() + ";";

    QLocalSocket client;
    client.connectToServer(socketPath());
    QVERIFY(client.waitForConnected(5000));
    client.write("CMD:sh");
    client.flush();
    QVERIFY(!client.waitForReadyRead(300));
    client.write("ow;");
    QCOMPARE(readAnswers(client, 1), expected);
    QCOMPARE(waitForLine(first, "COMMAND"), QString("COMMAND show"));
    QCOMPARE(waitForLine(first, "COMMAND", 300), QString());
}

void TestInstanceGuard::twoCommandsInOneWriteGetTwoAnswers()
{
    QProcess* first = startPeer("first.log");
    const QString served = waitForLine(first, "FIRST ");
    QVERIFY(!served.isEmpty());
    const QByteArray answer = "RES:" + served.mid(6).toLatin1() + ";";

    QLocalSocket client;
    client.connectToServer(socketPath());
    QVERIFY(client.waitForConnected(5000));
    client.write("CMD:show;CMD:show;");
    QCOMPARE(readAnswers(client, 2), answer + answer);
    QCOMPARE(waitForLine(first, "COMMAND"), QString("COMMAND show"));
    QCOMPARE(waitForLine(first, "COMMAND"), QString("COMMAND show"));
}

void TestInstanceGuard::otherCommandsAnsweredGarbageNot()
{
    QProcess* first = startPeer("first.log");
    const QString served = waitForLine(first, "FIRST ");
    QVERIFY(!served.isEmpty());
    const QByteArray answer = "RES:" + served.mid(6).toLatin1() + ";";

    QLocalSocket client;
    client.connectToServer(socketPath());
    QVERIFY(client.waitForConnected(5000));
    client.write("hello;CMD:hide;");
    // One answer only: the segment without "CMD:" is not answered.
    QCOMPARE(readAnswers(client, 1), answer);
    QVERIFY(!client.waitForReadyRead(300));
    QCOMPARE(waitForLine(first, "COMMAND"), QString("COMMAND hide"));
    QVERIFY(log("first.log").contains("Application Error: unknown command hello passed in local socket"));
    // The connection stays open after the unknown segment.
    QCOMPARE(client.state(), QLocalSocket::ConnectedState);

    client.disconnectFromServer();
    QTRY_VERIFY(log("first.log").contains("Application Info: removing client"));
    QVERIFY(log("first.log").contains("Application Info: remove clients slot called, clients 1"));
}

void TestInstanceGuard::laterInstanceQuitsAfterAnswer()
{
    QProcess* first = startPeer("first.log");
    const QString served = waitForLine(first, "FIRST ");
    QVERIFY(!served.isEmpty());

    QProcess* later = startPeer("later.log");
    QCOMPARE(waitForLine(later, "QUIT"), QString("QUIT"));
    QVERIFY(later->waitForFinished(5000));
    QCOMPARE(later->exitCode(), 0);
    QCOMPARE(waitForLine(first, "COMMAND"), QString("COMMAND show"));

    const QString laterLog = log("later.log");
    QVERIFY(laterLog.contains("socket connected, this is not the first application instance, sending show command.."));
    QVERIFY(laterLog.contains("Application Info: writing commands CMD:show;"));
    QVERIFY(laterLog.contains(QString("show command response received, pid = %1, activating and quiting..")
                                  .arg(served.mid(6))));
    QVERIFY(!laterLog.contains("socket disconnected before command response received"));
    QVERIFY(log("first.log").contains("this is the only instance of Orvanta, starting server and app.."));
}

void TestInstanceGuard::staleSocketFileIsReplaced()
{
    QProcess* crashed = startPeer("crashed.log");
    QVERIFY(!waitForLine(crashed, "FIRST ").isEmpty());
    const QString socketFile = socketPath();
    QVERIFY(QFile::exists(socketFile));
    crashed->kill();   // SIGKILL: no clean-up, the socket file stays
    QVERIFY(crashed->waitForFinished(5000));
    QVERIFY(QFile::exists(socketFile));

    QProcess* next = startPeer("next.log");
    QVERIFY2(!waitForLine(next, "FIRST ").isEmpty(), qPrintable(log("next.log")));
    QVERIFY(log("next.log").contains("removing the stale socket and listening again.."));

    // And it serves.
    QLocalSocket client;
    client.connectToServer(socketPath());
    QVERIFY(client.waitForConnected(5000));
    client.write("CMD:show;");
    QVERIFY(readAnswers(client, 1).startsWith("RES:"));
}

void TestInstanceGuard::socketInSharedTempIsNotUsed()
{
    // Another user got to the old, fixed place in the shared temporary
    // folder first and answers every command.
    QLocalServer squatter;
    QVERIFY(squatter.listen(QDir::tempPath() + "/" + m_name));
    connect(&squatter, &QLocalServer::newConnection, [&]() {
        while (QLocalSocket* s = squatter.nextPendingConnection())
            s->write("RES:1;");
    });
    QProcess* peer = startPeer("first.log");
    QVERIFY2(!waitForLine(peer, "FIRST ").isEmpty(), qPrintable(log("first.log")));
    QVERIFY(log("first.log").contains("connecting local socket to " + socketPath()));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFileInfo(m_runtime.path() + "/orvanta").permissions() & others, QFile::Permissions());
    squatter.close();
}

void TestInstanceGuard::strangersAreIgnoredOnBothEnds()
{
    // The peer trusts another user only, so to it this test process is a
    // stranger. A stranger's server on its socket is not obeyed: the peer
    // takes the socket over and serves.
    const QString stranger = QString::number(::geteuid() + 1);
    QVERIFY(QDir().mkpath(m_runtime.path() + "/orvanta"));
    QLocalServer squatter;
    QVERIFY(squatter.listen(socketPath()));
    connect(&squatter, &QLocalServer::newConnection, [&]() {
        while (QLocalSocket* s = squatter.nextPendingConnection())
            s->write("RES:1;");
    });
    QProcess* peer = startPeer("peer.log", {stranger});
    QVERIFY2(!waitForLine(peer, "FIRST ").isEmpty(), qPrintable(log("peer.log")));
    QVERIFY(log("peer.log").contains("is served by another user, ignoring it.."));
    QVERIFY(!log("peer.log").contains("sending show command"));

    // A stranger's client is refused without an answer.
    QLocalSocket client;
    client.connectToServer(socketPath());
    QVERIFY(client.waitForConnected(5000));
    client.write("CMD:show;");
    QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
    QVERIFY(client.readAll().isEmpty());
    QCOMPARE(waitForLine(peer, "COMMAND", 300), QString());
    QVERIFY(log("peer.log").contains("local socket client of another user refused"));
}

void TestInstanceGuard::silentServerIsGivenUp()
{
    // A running instance that accepts the connection and never answers.
    QVERIFY(QDir().mkpath(m_runtime.path() + "/orvanta"));
    QLocalServer silent;
    QVERIFY(silent.listen(socketPath()));
    QProcess* later = startPeer("later.log");
    QCOMPARE(waitForLine(later, "QUIT", 15000), QString("QUIT"));
    QVERIFY2(log("later.log").contains("Application Error: could not write show command, error 5, quiting.."), qPrintable(log("later.log")));
}

void TestInstanceGuard::overlongCommandDropsTheClient()
{
    QProcess* first = startPeer("first.log");
    QVERIFY(!waitForLine(first, "FIRST ").isEmpty());

    // Control characters in a logged command cannot start a log line.
    QLocalSocket client;
    client.connectToServer(socketPath());
    QVERIFY(client.waitForConnected(5000));
    client.write("bad\n[0101/000000.000:INFO:forged(1)] x;");
    QTRY_VERIFY(log("first.log").contains("unknown command bad\\n[0101/000000.000:INFO:forged(1)] x passed"));

    // Megabytes without ";": the client is dropped early and the log keeps
    // only a short excerpt.
    client.write(QByteArray(8 << 20, 'A'));
    QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState, 10000);
    QTRY_VERIFY(log("first.log").contains("dropping it"));
    QVERIFY(QFileInfo(m_dir.filePath("first.log")).size() < 8192);

    // The server goes on serving others.
    QLocalSocket next;
    next.connectToServer(socketPath());
    QVERIFY(next.waitForConnected(5000));
    next.write("CMD:show;");
    QVERIFY(readAnswers(next, 1).startsWith("RES:"));
}

QTEST_GUILESS_MAIN(TestInstanceGuard)
#include "tst_instance_guard.moc"
