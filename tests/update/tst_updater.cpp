// The hand-over to the updater (starting it, replacing it with
// "Updater-new") and the Updater program itself, run against a temporary
// installation and a package server on 127.0.0.1.

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "http_test_server.h"
#include "logging.h"
#include "package_test_support.h"
#include "package_writer.h"
#include "update_values.h"
#include "updater_launch.h"

using namespace TestSupport;

namespace {

bool writeScript(const QString& path, const QByteArray& body)
{
    return writeFile(path, "#!/bin/sh\n" + body + "\n")
        && QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

// Every file of the installation but the updater's log: name -> content.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(folder).relativeFilePath(path);
        if (name != "updater.log")
            files.insert(name, QFileInfo(path).isDir() ? QByteArray("<dir>") : readFile(path));
    }
    return files;
}

} // namespace

class UpdaterTest : public QObject
{
    Q_OBJECT

private:
    HttpTestServer server;
    QTemporaryDir install;
    const QString instance = QStringLiteral("orvanta-updater-test-%1").arg(QCoreApplication::applicationPid());

    int runUpdater(const QStringList& extra, const QString& package = "/pkg.dat")
    {
        QProcess updater;
        updater.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        updater.start(UPDATER_BINARY,
                      QStringList{"--update=VelkorCloudEngine", "--down=" + server.url(package), "--deployment=d1",
                                  "--version=12", "--app-folder=" + install.path(), "--instance-name=" + instance,
                                  "--quit-timeout=300"}
                          + extra);
        if (!updater.waitForStarted(5000))
            return -1;
        // The server answers from this event loop.
        QElapsedTimer clock;
        clock.start();
        while (updater.state() != QProcess::NotRunning && clock.elapsed() < 30000)
            QTest::qWait(10);
        return updater.exitStatus() == QProcess::NormalExit ? updater.exitCode() : -2;
    }

    void installOldVersion()
    {
        QDir(install.path()).removeRecursively();
        QDir().mkpath(install.path());
        QVERIFY(writeScript(install.filePath("orvanta"), "echo old > \"$(dirname \"$0\")/restarted\""));
        QVERIFY(writeFile(install.filePath("data.txt"), "old data"));
    }

    QByteArray newPackage(quint64 sequence = 1)
    {
        QByteArray package;
        const bool built = buildPackage("2.0",
                                        {{"data.txt", "new data"},
                                         {"sub/new.txt", "added"},
                                         {"orvanta", "#!/bin/sh\necho new > \"$(dirname \"$0\")/restarted\"\n"}},
                                        &package);
        return built ? TestSigning::signedPackage(package, sequence) : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(!TestSigning::trustTestKey().isEmpty());
        QVERIFY(server.start());
    }

    void thePackageReplacesTheInstallationAndTheProgramRestarts()
    {
        installOldVersion();
        server.serve("/pkg.dat", newPackage());
        QCOMPARE(runUpdater({}), 0);
        QCOMPARE(readFile(install.filePath("data.txt")), QByteArray("new data"));
        QCOMPARE(readFile(install.filePath("sub/new.txt")), QByteArray("added"));
        // The replaced program kept its permissions, and it was started.
        QTRY_COMPARE_WITH_TIMEOUT(readFile(install.filePath("restarted")), QByteArray("new\n"), 5000);
        const QStringList left = QDir(install.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(left.filter(".orvanta-update").size(), 0);  // the work folder is gone

        // A silent update does not start the program.
        QFile::remove(install.filePath("restarted"));
        server.serve("/pkg.dat", newPackage());
        QCOMPARE(runUpdater({"--SilentUpgrade"}), 0);
        QTest::qWait(300);
        QVERIFY(!QFile::exists(install.filePath("restarted")));
    }

    void onlySignedReleasesNotOlderThanTheInstalledOneAreInstalled()
    {
        installOldVersion();
        QFile::remove(install.filePath("update-sequences.json"));
        const QMap<QString, QByteArray> before = snapshot(install.path());
        const auto restartedOld = [this]() {
            QTRY_COMPARE_WITH_TIMEOUT(readFile(install.filePath("restarted")), QByteArray("old\n"), 5000);
            QFile::remove(install.filePath("restarted"));
        };
        QByteArray unsignedPackage;
        QVERIFY(buildPackage("2.0", {{"data.txt", "new data"}}, &unsignedPackage));
        for (const QByteArray& refused :
             {unsignedPackage, TestSigning::signedPackage(unsignedPackage, 1, ClientVersion(), TestSigning::strangerKey())}) {
            server.serve("/pkg.dat", refused);
            QCOMPARE(runUpdater({}), 2);
            restartedOld();
            QCOMPARE(snapshot(install.path()), before);
        }
        QVERIFY(readFile(install.filePath("updater.log")).contains("refused: not signed by a trusted key"));
        QVERIFY(!QFile::exists(install.filePath("update-sequences.json")));

        // Release 5 installs and is kept; release 4 after it is a rollback.
        server.serve("/pkg.dat", newPackage(5));
        QCOMPARE(runUpdater({"--SilentUpgrade"}), 0);
        QCOMPARE(readFile(install.filePath("data.txt")), QByteArray("new data"));
        const QByteArray kept = readFile(install.filePath("update-sequences.json"));
        QVERIFY(kept.contains("\"client\": \"5\""));
        installOldVersion();
        QVERIFY(writeFile(install.filePath("update-sequences.json"), kept));
        server.serve("/pkg.dat", newPackage(4));
        QCOMPARE(runUpdater({}), 2);
        restartedOld();
        QCOMPARE(readFile(install.filePath("data.txt")), QByteArray("old data"));
        QVERIFY(readFile(install.filePath("updater.log")).contains("release 4 is older than release 5"));
        // The same release again, or a later one, is fine.
        server.serve("/pkg.dat", newPackage(5));
        QCOMPARE(runUpdater({"--SilentUpgrade"}), 0);
        QFile::remove(install.filePath("update-sequences.json"));
    }

    void aFailureLeavesTheInstallationAsItWas()
    {
        installOldVersion();
        const QMap<QString, QByteArray> before = snapshot(install.path());

        // The program the user quit for the update comes back, unchanged.
        auto restartedOld = [this]() {
            QTRY_COMPARE_WITH_TIMEOUT(readFile(install.filePath("restarted")), QByteArray("old\n"), 5000);
            QFile::remove(install.filePath("restarted"));
        };
        QByteArray corrupt = newPackage();
        corrupt[corrupt.size() - 3] = char(corrupt[corrupt.size() - 3] ^ 0x55);
        server.serve("/pkg.dat", corrupt);
        QCOMPARE(runUpdater({}), 2);
        restartedOld();
        QCOMPARE(runUpdater({}, "/missing.dat"), 2);
        restartedOld();
        QCOMPARE(runUpdater({"--SilentUpgrade"}, "/missing.dat"), 2);

        // A server that sends a byte now and then: the rate ends it long
        // before the stall timer would, and the work folder goes.
        HttpTestServer::File trickle{newPackage()};
        trickle.trickleMs = 200;
        server.serve("/slow.dat", trickle);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(runUpdater({"--minimum-rate=100", "--rate-window=1000"}, "/slow.dat"), 2);
        QVERIFY(clock.elapsed() < 20000);
        restartedOld();
        // And one that would finish, but not within the deadline.
        QCOMPARE(runUpdater({"--minimum-rate=0", "--download-timeout=1500"}, "/slow.dat"), 2);
        restartedOld();
        const QStringList left = QDir(install.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(left.filter(".orvanta-update").size(), 0);

        // While the program runs (its single-instance socket answers), the
        // updater waits, then gives up.
        server.serve("/pkg.dat", newPackage());
        QLocalServer running;
        QVERIFY(running.listen(instance));
        QCOMPARE(runUpdater({}), 2);
        running.close();

        // A file where the package wants a folder stops the update before
        // anything moves.
        QVERIFY(writeFile(install.filePath("sub"), "a file"));
        const QMap<QString, QByteArray> withFile = snapshot(install.path());
        QCOMPARE(runUpdater({}), 2);
        restartedOld();
        QCOMPARE(snapshot(install.path()), withFile);
        QFile::remove(install.filePath("sub"));

        QCOMPARE(snapshot(install.path()), before);
        QVERIFY(!QFile::exists(install.filePath("restarted")));
        QCOMPARE(QProcess::execute(UPDATER_BINARY, {"--down=ftp://h/p"}), 1);
    }

    void theProgramHandsOverToTheUpdater()
    {
        QTemporaryDir folder;
        Logger::setFilePath(folder.filePath("app.log"));
        QVERIFY(!UpdaterLaunch::start(folder.path(), {"--x"}));
        QVERIFY(readFile(folder.filePath("app.log")).contains("Application Error: failed to execute"));

        QVERIFY(writeScript(folder.filePath("Updater"), "printf '%s|' \"$@\" > \"$PWD/arguments\""));
        const QStringList arguments = UpdaterLaunch::arguments("http://h/p v2.dat", "d1", "12", true);
        QVERIFY(UpdaterLaunch::start(folder.path(), arguments));
        QTRY_COMPARE_WITH_TIMEOUT(readFile(folder.filePath("arguments")),
                                  QByteArray("--update=VelkorCloudEngine|--down=http://h/p v2.dat|--deployment=d1|"
                                             "--version=12|--SilentUpgrade|"),
                                  5000);
        QVERIFY(readFile(folder.filePath("app.log")).contains("Application Info: executing " + folder.filePath("Updater").toUtf8()
                                                              + " --update=VelkorCloudEngine"));

        // A silent update scheduled by the check runs at the program's exit.
        UpdateValues::reset();
        QVERIFY(!UpdaterLaunch::startScheduled(folder.path()));
        QFile::remove(folder.filePath("arguments"));
        UpdateValues::scheduleAtExit({"--down=x"});
        QVERIFY(UpdaterLaunch::startScheduled(folder.path()));
        QTRY_COMPARE_WITH_TIMEOUT(readFile(folder.filePath("arguments")), QByteArray("--down=x|"), 5000);

        // "Updater-new" takes the updater's place and stays executable.
        QVERIFY(!UpdaterLaunch::applyPendingReplacement(folder.path(), 1, 0));
        QVERIFY(writeFile(folder.filePath("Updater-new"), "#!/bin/sh\necho replaced > \"$PWD/replaced\"\n"));
        QVERIFY(UpdaterLaunch::applyPendingReplacement(folder.path(), 30, 1));
        QVERIFY(!QFile::exists(folder.filePath("Updater-new")));
        QVERIFY(QFileInfo(folder.filePath("Updater")).isExecutable());
        QVERIFY(UpdaterLaunch::start(folder.path(), {}));
        QTRY_COMPARE_WITH_TIMEOUT(readFile(folder.filePath("replaced")), QByteArray("replaced\n"), 5000);
        Logger::setFilePath(QString());
    }
};

QTEST_GUILESS_MAIN(UpdaterTest)
#include "tst_updater.moc"
