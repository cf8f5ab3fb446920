// The HTTP request worker's layouts byte for byte, the update check's
// handling of each answer, and the start-up walk over firmware versions,
// against a server on 127.0.0.1.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "http_request_worker.h"
#include "http_test_server.h"
#include "startup_update_check.h"
#include "update_check.h"
#include "update_prompt.h"
#include "update_service.h"
#include "update_values.h"
#include "local_settings.h"

namespace {

struct RecordingPrompt : UpdatePrompt {
    QList<QPair<QJsonObject, QString>> offers;
    void offerUpdate(const QJsonObject& ret, const QString& firmwareVersion) override
    {
        offers.append({ret, firmwareVersion});
    }
};

bool run(HttpRequestWorker& worker, HttpRequestSpec& request)
{
    QSignalSpy done(&worker, &HttpRequestWorker::on_execution_finished);
    worker.execute(&request);
    return done.wait(5000);
}

QByteArray bodyOf(const QByteArray& request)
{
    return request.mid(request.indexOf("\r\n\r\n") + 4);
}

} // namespace

class UpdateCheckTest : public QObject
{
    Q_OBJECT

private:
    HttpTestServer server;

private slots:
    void initTestCase()
    {
        QVERIFY(server.start());
        qunsetenv("ORVANTA_UPGRADE_URL");
    }
    void init()
    {
        server.clear();
        UpdateValues::reset();
    }

    void addressAndUrlEncodedLayouts()
    {
        server.replyJson("/api", "{}");
        HttpRequestWorker worker;
        HttpRequestSpec get(server.url("/api"), "GET");
        get.addVariable("fwversion", "1&2=3");
        get.addVariable("version", "R1.0 ü");
        get.addVariable("noencrypt", "1");
        QVERIFY(run(worker, get));
        QCOMPARE(worker.error_type, QNetworkReply::NoError);
        QCOMPARE(worker.response, QByteArray("{}"));
        QCOMPARE(server.targets().value(0), QString("/api?fwversion=1%262%3D3&version=R1.0%20%C3%BC&noencrypt=1"));
        QCOMPARE(server.header(0, "User-Agent"), QByteArray("Agent name goes here"));
        QVERIFY(bodyOf(server.requests().value(0)).isEmpty());

        HttpRequestSpec post(server.url("/api"), "POST");
        post.addVariable("a", "b");
        post.addVariable("c", "x=y&z");
        post.addVariable("a", "B");  // replaces in place
        QVERIFY(run(worker, post));
        QVERIFY(server.requests().value(1).startsWith("POST /api HTTP/1.1\r\n"));
        QCOMPARE(server.header(1, "Content-Type"), QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(bodyOf(server.requests().value(1)), QByteArray("a=B&c=x%3Dy%26z"));

        HttpRequestSpec custom(server.url("/api"), "PATCH");
        custom.addVariable("k", "v");
        QVERIFY(run(worker, custom));
        QVERIFY(server.requests().value(2).startsWith("PATCH /api HTTP/1.1\r\n"));
        QCOMPARE(bodyOf(server.requests().value(2)), QByteArray("k=v"));
    }

    void multipartLayout()
    {
        QTemporaryDir dir;
        QFile upload(dir.filePath("local.bin"));
        QVERIFY(upload.open(QIODevice::WriteOnly));
        upload.write(QByteArray("\x00\x01\r\n", 4));
        upload.close();

        server.replyJson("/form", "{}");
        HttpRequestWorker worker;
        HttpRequestSpec single(server.url("/form"), "POST");
        single.layout = HttpRequestSpec::Multipart;
        single.addVariable("a", "b");
        QVERIFY(run(worker, single));
        const QByteArray type = server.header(0, "Content-Type");
        QVERIFY2(type.startsWith("multipart/form-data; boundary=__-----------------------"), type);
        const QByteArray boundary = type.mid(type.indexOf('=') + 1);
        QCOMPARE(bodyOf(server.requests().value(0)),
                 "--" + boundary + "\r\nContent-Disposition: form-data; name=\"a\"\r\nContent-Type: text/plain\r\n\r\nb\r\n--"
                     + boundary + "--");

        HttpRequestSpec files(server.url("/form"), "POST");
        files.addVariable("say \"hi\"", "x");
        files.addFile("", upload.fileName(), QString::fromUtf8("é.bin"), "application/octet-stream");
        files.addFile("second", dir.filePath("missing.bin"), "", "");  // unreadable: skipped
        QVERIFY(run(worker, files));
        const QByteArray second = server.header(1, "Content-Type");
        const QByteArray b = second.mid(second.indexOf('=') + 1);
        QCOMPARE(bodyOf(server.requests().value(1)),
                 "--" + b + "\r\nContent-Disposition: form-data; name=\"say \\\"hi\\\"\"\r\nContent-Type: text/plain\r\n\r\nx\r\n"
                 "--" + b + "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + QString::fromUtf8("é.bin").toUtf8()
                     + "\"; filename*=utf-8''%C3%A9.bin\r\nContent-Type: application/octet-stream\r\n"
                       "Content-Transfer-Encoding: binary\r\n\r\n" + QByteArray("\x00\x01\r\n", 4) + "\r\n--" + b + "--");
    }

    void oversizedAndFailedRepliesAreErrors()
    {
        server.reply("/big", "HTTP/1.1 200 OK\r\nContent-Length: 3000000\r\nConnection: close\r\n\r\n"
                                 + QByteArray(3000000, 'x'));
        HttpRequestWorker worker;
        HttpRequestSpec big(server.url("/big"), "GET");
        QVERIFY(run(worker, big));
        QVERIFY(worker.error_type != QNetworkReply::NoError);
        QVERIFY(worker.response.isEmpty());

        // Compressed bodies are never asked for, and refused when sent: an
        // 18 MB gzip reply inflated to gigabytes before it was counted.
        server.reply("/gz", "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 69\r\nConnection: close\r\n\r\n"
                                + QByteArray::fromHex("1f8b0800000000000203edc6310d00200c00302f53c08d9dc18d8065dea783a4bd5a91efd"
                                                      "cd8abcbccccccccccccccccccccccccccccccccccccecdb0d04f6c60b10270000"));
        server.clear();
        HttpRequestSpec gz(server.url("/gz"), "GET");
        QVERIFY(run(worker, gz));
        QCOMPARE(server.header(0, "Accept-Encoding"), QByteArray("identity"));
        QCOMPARE(worker.error_type, QNetworkReply::UnknownContentError);
        QVERIFY(worker.response.isEmpty());

        HttpRequestSpec refused("http://127.0.0.1:1/none", "GET");
        QVERIFY(run(worker, refused));
        QCOMPARE(worker.error_type, QNetworkReply::ConnectionRefusedError);
    }

    void answersSetTheState_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("offers");
        QTest::addColumn<QString>("updaterLine");
        const QString none;
        QTest::newRow("code 1") << QByteArray(R"({"code":1,"ret":{"type":"0"}})") << 0 << 0 << none;
        QTest::newRow("not JSON") << QByteArray("{\"code\":") << 0 << 0 << none;
        QTest::newRow("not an object") << QByteArray("[0]") << 0 << 0 << none;
        QTest::newRow("type 2") << QByteArray(R"({"code":0,"ret":{"type":"2"}})") << -1 << 0 << none;
        QTest::newRow("type 0") << QByteArray(R"({"code":0,"ret":{"type":"0","description":"notes","cnumber":"7"}})")
                                << 1 << 1 << none;
        QTest::newRow("type 1")
            << QByteArray("{\"code\":0,\"ret\":{\"type\":\"1\",\"package\":\"http:\\/\\/h/p.dat --x\",\"deployment\":\"d1\"}}")
            << 0 << 0
            << QString("--update=VelkorCloudEngine --down=http://h/p.dat --x --deployment=d1 --version=12 --SilentUpgrade");
    }

    void answersSetTheState()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, state);
        QFETCH(int, offers);
        QFETCH(QString, updaterLine);
        server.replyJson("/api/system/upgrade", answer);
        RecordingPrompt prompt;
        UpdateCheck check(server.url(""), &prompt);
        QCOMPARE(check.get(), -1);
        QSignalSpy finished(&check, &UpdateCheck::checkFinished);
        check.doCheckUpdate("R1.0.3", "12");
        QVERIFY(finished.wait(5000));
        QCOMPARE(server.targets().value(0), QString("/api/system/upgrade?fwversion=12&version=R1.0.3&noencrypt=1"));
        QCOMPARE(check.get(), state);
        QCOMPARE(prompt.offers.size(), offers);
        if (offers) {
            QCOMPARE(prompt.offers.at(0).first.value("description").toString(), QString("notes"));
            QCOMPARE(prompt.offers.at(0).second, QString("12"));
            QCOMPARE(UpdateValues::changeNumber(), QString("7"));
        }
        QCOMPARE(UpdateValues::runUpdaterAtExit(), !updaterLine.isEmpty());
        QCOMPARE(UpdateValues::updaterArgumentLine(), updaterLine);
        // One argument each: the package address cannot add arguments.
        if (!updaterLine.isEmpty())
            QCOMPARE(UpdateValues::updaterArguments().value(1), QString("--down=http://h/p.dat --x"));
    }

    void unreachableEndpointFailsQuietly()
    {
        UpdateCheck check("http://127.0.0.1:1");
        QSignalSpy finished(&check, &UpdateCheck::checkFinished);
        check.doCheckUpdate("R1.0.3", "12");
        QVERIFY(finished.wait(5000));
        QCOMPARE(check.get(), 0);
    }

    void theEnvironmentOverridesTheProfileAddress()
    {
        QCOMPARE(UpdateCheck::endpoint("http://update.example/"), QString("http://update.example/api/system/upgrade"));
        qputenv("ORVANTA_UPGRADE_URL", "http://127.0.0.1:9");
        QCOMPARE(UpdateCheck::endpoint("http://update.example"), QString("http://127.0.0.1:9/api/system/upgrade"));
        qunsetenv("ORVANTA_UPGRADE_URL");
    }

    void startUpWalksVersionsAndStopsAtAnOffer()
    {
        server.setHandler([](const QByteArray& request) {
            const bool offered = request.contains("fwversion=12&");
            return HttpTestServer::jsonReply(offered ? R"({"code":0,"ret":{"type":"0"}})"
                                                     : R"({"code":0,"ret":{"type":"2"}})");
        });
        RecordingPrompt prompt;
        StartupUpdateCheck walk(server.url(""), "R1.0.3", {"11", "12", "13"}, &prompt);
        walk.setInterval(100);
        QSignalSpy finished(&walk, &StartupUpdateCheck::finished);
        walk.start();
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.at(0).at(0).toInt(), 1);
        QCOMPARE(server.targets().size(), 2);
        QCOMPARE(prompt.offers.size(), 1);

        // Without an offer the walk ends with the last version's answer.
        server.clear();
        StartupUpdateCheck quiet(server.url(""), "R1.0.3", {"11", "13"});
        quiet.setInterval(100);
        QSignalSpy quietFinished(&quiet, &StartupUpdateCheck::finished);
        quiet.start();
        QVERIFY(quietFinished.wait(5000));
        QCOMPARE(quietFinished.at(0).at(0).toInt(), -1);
        QCOMPARE(server.targets().size(), 2);
        server.setHandler(nullptr);
    }

    void theUserMayTurnTheStartUpCheckOff()
    {
        // The check sends the client's version and the devices' firmware
        // versions: Settings lets the user say no, kept in conf.ini.
        QTemporaryDir folder;
        UpdateService updates(folder.path());
        QVERIFY(updates.startupCheckWanted());
        LocalSettings settings(folder.path());
        QVERIFY(settings.write(UpdateService::kStartupCheckKey, "false"));
        QVERIFY(!updates.startupCheckWanted());
        QVERIFY(settings.write(UpdateService::kStartupCheckKey, "true"));
        QVERIFY(updates.startupCheckWanted());
        QVERIFY(settings.write(UpdateService::kStartupCheckKey, " False "));
        QVERIFY(!updates.startupCheckWanted());
    }
};

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "tst_update_check.moc"
