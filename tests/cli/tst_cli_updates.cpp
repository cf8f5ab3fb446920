// orvanta-cli's update side end to end: --check-update against a server on
// 127.0.0.1, and a page-file download and a firmware update run from the
// command line, with the emulator as the transport library.
#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "firmware_image.h"
#include "http_test_server.h"
#include "package_writer.h"
#include "test_signing.h"

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QByteArray kDevices = R"({"devices":[
  {"vendorId":"258A","productId":"1007","firmwareVersion":"11","interfaces":[{"collection":"02"}]},
  {"reportedId":"25A7FA91","vendorId":"258A","productId":"1011","firmwareVersion":"31",
   "interfaces":[{"collection":"05","usagePage":"0xFFAA"},{"collection":"07"}]}
]})";

} // namespace

class CliUpdatesTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_program;
    QThread m_serverThread;
    HttpTestServer* m_server = nullptr;

    QList<QByteArray> run(const QStringList& args, const QMap<QString, QString>& extraEnv = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORVANTA_TRANSPORT", EMULATOR_LIBRARY);
        env.insert("ORVANTA_DEVICES", m_dir.filePath("devices.json"));
        env.insert("ORVANTA_TRANSPORT_LOG", m_dir.filePath("calls.log"));
        env.insert("ORVANTA_FIRMWARE_WAIT_SCALE", "0");
        for (auto it = extraEnv.begin(); it != extraEnv.end(); ++it)
            env.insert(it.key(), it.value());
        process.setProcessEnvironment(env);
        process.start(m_program, args);
        process.waitForFinished(60000);
        return process.readAllStandardOutput().split('\n');
    }

private slots:
    void initTestCase()
    {
        QVERIFY(!TestSigning::trustTestKey().isEmpty());
        m_program = m_dir.filePath("orvanta-cli");
        QVERIFY(QFile::copy(CLI_BINARY, m_program));
        QVERIFY(QFile::setPermissions(m_program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(writeFile(m_dir.filePath("devices.json"), kDevices));

        // The server answers from its own thread while the test waits for
        // the program.
        m_server = new HttpTestServer;
        m_server->moveToThread(&m_serverThread);
        m_serverThread.start();
        bool listening = false;
        QMetaObject::invokeMethod(m_server, [&]() { listening = m_server->start(); }, Qt::BlockingQueuedConnection);
        QVERIFY(listening);
    }

    void cleanupTestCase()
    {
        QMetaObject::invokeMethod(m_server, &QObject::deleteLater);
        m_serverThread.quit();
        m_serverThread.wait();
    }

    void checkUpdatePrintsTheOutcome()
    {
        const QByteArray answer = "{\"code\":0,\"ret\":{\"type\":\"1\",\"package\":\"http://h/c.pkg\",\"deployment\":\"d7\","
                                  "\"description\":\"notes\"}}";
        // Unsigned, the answer is refused: nothing is scheduled.
        QMetaObject::invokeMethod(m_server, [&]() { m_server->replyJson("/mirror/api/system/upgrade", answer); },
                                  Qt::BlockingQueuedConnection);
        QCOMPARE(run({"--check-update"}, {{"ORVANTA_UPGRADE_URL", m_server->url("/mirror")}}).value(0),
                 QByteArray("{\"state\":0,\"type\":\"\",\"description\":\"\",\"updaterArguments\":\"\"}"));
        QMetaObject::invokeMethod(m_server, [&]() {
            m_server->clear();
            m_server->replyJson("/mirror/api/system/upgrade.minisig",
                                TestSigning::signedListSignature(answer, "upgrade", 1,
                                                                 QDateTime::currentSecsSinceEpoch() + 600));
        }, Qt::BlockingQueuedConnection);
        const QList<QByteArray> silent = run({"--check-update"}, {{"ORVANTA_UPGRADE_URL", m_server->url("/mirror")}});
        QCOMPARE(silent.value(0), QByteArray("{\"state\":0,\"type\":\"1\",\"description\":\"notes\",\"updaterArguments\":"
                                             "\"--update=VelkorCloudEngine --down=http://h/c.pkg --deployment=d7 "
                                             "--version=31 --SilentUpgrade\"}"));
        QStringList targets;
        QMetaObject::invokeMethod(m_server, [&]() { targets = m_server->targets(); }, Qt::BlockingQueuedConnection);
        QCOMPARE(targets, (QStringList{"/mirror/api/system/upgrade?fwversion=11&version=R1.0.3&noencrypt=1",
                                       "/mirror/api/system/upgrade.minisig?fwversion=11&version=R1.0.3&noencrypt=1",
                                       "/mirror/api/system/upgrade?fwversion=31&version=R1.0.3&noencrypt=1",
                                       "/mirror/api/system/upgrade.minisig?fwversion=31&version=R1.0.3&noencrypt=1"}));

        // Nobody answers: the check fails quietly.
        const QList<QByteArray> unreachable = run({"--check-update"}, {{"ORVANTA_UPGRADE_URL", "http://127.0.0.1:1"}});
        QCOMPARE(unreachable.value(0), QByteArray("{\"state\":0,\"type\":\"\",\"description\":\"\",\"updaterArguments\":\"\"}"));
    }

    void downloadsAndFlashesFromTheCommandLine()
    {
        QByteArray pages, firmware;
        QVERIFY(buildPackage("1.0", {{"pages/new.html", "<p>new</p>"}}, &pages));
        QVERIFY(buildPackage("1.0", {{"update.bin", FirmwareImage::build(QByteArray(2500, 'r'), "258A1007")}},
                             &firmware));
        pages = TestSigning::signedPackage(pages);
        firmware = TestSigning::signedPackage(firmware);
        QMetaObject::invokeMethod(m_server, [&]() {
            m_server->serve("/pages.pkg", pages);
            m_server->serve("/fw.pkg", firmware);
        }, Qt::BlockingQueuedConnection);

        const QString download = R"({"FuncName":"DownloadFile","downloadUrl":"URL","relativePath":"tupdates/"})";
        const QString flash = R"({"FuncName":"UpdateFirmware","downloadUrl":"URL"})";
        const QList<QByteArray> lines = run({QString(download).replace("URL", m_server->url("/pages.pkg")),
                                             QString(flash).replace("URL", m_server->url("/fw.pkg"))});
        QStringList seen;
        for (const QByteArray& line : lines) {
            const QJsonObject object = QJsonDocument::fromJson(line).object();
            if (object.contains("reply"))
                seen << object.value("reply").toString() + ' ' + object.value("text").toString();
            else if (object.value("event") == "onUpdateFirmware")
                seen << object.value("args").toArray().at(0).toString();
            else if (object.value("event") == "RefreshDownState" && object.value("args").toArray().at(0) == 100)
                seen << "100%";
        }
        QCOMPARE(seen, (QStringList{"success " + m_dir.filePath("tupdates/pages.pkg"), "100%", "success start download",
                                    "downLoading", "updating", "updated"}));
        QCOMPARE(QFile(m_dir.filePath("pages/new.html")).size(), qint64(10));
        QVERIFY(QFile(m_dir.filePath("calls.log")).size() > 0);
    }
};

QTEST_GUILESS_MAIN(CliUpdatesTest)
#include "tst_cli_updates.moc"
