// The programs, copied into a folder of their own (their application
// folder) into which an attacker got a qt.conf that points Qt's plugins at a
// folder beside it, with a real Qt plugin there under a name without ".so".
// Started with Qt's plugin diagnostics on, neither program looks into that
// folder: Qt reads the qt.conf compiled into the program, never the one
// beside it, and the programs' plugins come from Qt's own installation.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

class ForeignPluginsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_runtime;

    QString copyProgram(const QString& from)
    {
        const QString to = m_dir.filePath(QFileInfo(from).fileName());
        if (!QFile::copy(from, to)
            || !QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return QString();
        return to;
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_DEBUG_PLUGINS", "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("QT_PLUGIN_PATH");
        env.insert("XDG_RUNTIME_DIR", m_runtime.path());
        env.insert("ORVANTA_TRANSPORT", EMULATOR_LIBRARY);
        env.insert("ORVANTA_DEVICES", m_dir.filePath("devices.json"));
        env.insert("ORVANTA_POINTER_SETTINGS", m_dir.filePath("pointer.json"));
        env.insert("ORVANTA_UPGRADE_URL", "http://127.0.0.1:1");
        return env;
    }

    // Qt's plugin diagnostics name every folder searched and every library
    // loaded: none may lie in the planted folder, and Qt's own plugin
    // folder must be among them (so that a run without diagnostics cannot
    // pass by saying nothing).
    void checkDiagnostics(const QByteArray& stderrBytes)
    {
        const QByteArray planted = QFile::encodeName(m_dir.filePath("plug"));
        const QByteArray system = QFile::encodeName(QLibraryInfo::location(QLibraryInfo::PluginsPath));
        QVERIFY2(stderrBytes.contains(system), stderrBytes.left(2000).constData());
        for (const QByteArray& line : stderrBytes.split('\n')) {
            QVERIFY2(!line.contains(planted), line.constData());
            QVERIFY2(!(line.contains("loaded library") && line.contains(QFile::encodeName(m_dir.path()))),
                     line.constData());
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid() && m_runtime.isValid());
        QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile conf(m_dir.filePath("qt.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[Paths]\nPrefix=.\nPlugins=plug\n");
        conf.close();
        const QString plugins = QLibraryInfo::location(QLibraryInfo::PluginsPath);
        for (const QString& type : {"platforms", "bearer"}) {
            QVERIFY(QDir().mkpath(m_dir.filePath("plug/" + type)));
            const QStringList found = QDir(plugins + "/" + type).entryList({"*.so"}, QDir::Files);
            for (const QString& plugin : found)
                QVERIFY(QFile::copy(plugins + "/" + type + "/" + plugin,
                                    m_dir.filePath("plug/" + type + "/" + QString(plugin).remove(".so"))));
        }
        QVERIFY(QFile::copy(DEVICE_SET, m_dir.filePath("devices.json")));
        QFile::setPermissions(m_dir.filePath("devices.json"), QFile::ReadOwner | QFile::WriteOwner);
    }

    void theCommandLineProgramLoadsNothingFromBesideIt()
    {
        const QString program = copyProgram(CLI_BINARY);
        QVERIFY(!program.isEmpty());
        QProcess process;
        process.setProcessEnvironment(environment());
        // The update check opens Qt's network access, which loads plugins.
        process.start(program, {"--check-update"});
        QVERIFY(process.waitForFinished(60000));
        checkDiagnostics(process.readAllStandardError());
    }

    void theWindowLoadsNothingFromBesideIt()
    {
        const QString program = copyProgram(WINDOW_BINARY);
        QVERIFY(!program.isEmpty());
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(program, QStringList());
        QVERIFY(process.waitForStarted(10000));
        // The window is up once the log says so; the platform plugin, the
        // image formats and the network are loaded by then.
        QElapsedTimer clock;
        clock.start();
        QByteArray log;
        while (clock.elapsed() < 60000 && process.state() == QProcess::Running && !log.contains("mainwindow show!")) {
            QTest::qWait(100);
            QFile file(m_dir.filePath("app.log"));
            if (file.open(QIODevice::ReadOnly))
                log = file.readAll();
        }
        QVERIFY2(log.contains("mainwindow show!"), log.constData());
        QTest::qWait(500);
        ::kill(pid_t(process.processId()), SIGTERM);
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished(5000);
        }
        checkDiagnostics(process.readAllStandardError());
    }
};

QTEST_GUILESS_MAIN(ForeignPluginsTest)
#include "tst_foreign_plugins.moc"
