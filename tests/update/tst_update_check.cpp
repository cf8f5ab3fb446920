// The HTTP request worker's layouts byte for byte, the update check's
// handling of each answer, and the start-up walk over firmware versions,
// against a server on 127.0.0.1.

#include <QDateTime>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app_layout.h"
#include "signed_list.h"
#include "test_signing.h"

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

// A signature of answer for the update channel, good for a day.
QByteArray signatureOf(const QByteArray& answer, quint64 sequence = 1)
{
    return TestSigning::signedListSignature(answer, UpdateCheck::kChannel, sequence,
                                            QDateTime::currentSecsSinceEpoch() + 86400);
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
    QTemporaryDir state;

    // The answer at the update address, and its signature beside it.
    void serveSigned(const QByteArray& answer, const QByteArray& signature)
    {
        server.replyJson("/api/system/upgrade", answer);
        if (signature.isEmpty())
            server.reply("/api/system/upgrade.minisig", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
        else
            server.replyJson("/api/system/upgrade.minisig", signature);
    }

    // The state of one check against the served answer.
    int check(RecordingPrompt* prompt = nullptr)
    {
        UpdateCheck check(server.url(""), prompt);
        QSignalSpy finished(&check, &UpdateCheck::checkFinished);
        check.doCheckUpdate("R1.0.3", "12");
        return finished.wait(5000) ? check.get() : -2;
    }

    quint64 keptSequence() const
    {
        return SequenceStore(SequenceStore::defaultPath()).highest(UpdateCheck::kChannel);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(!TestSigning::trustTestKey().isEmpty());
        QVERIFY(server.start());
        qunsetenv("ORVANTA_UPGRADE_URL");
        // The kept sequences go to a state folder of the test's own.
        AppLayout layout;
        layout.programFolder = layout.stateFolder = layout.userFolder = state.path();
        setAppLayout(layout);
    }
    void init()
    {
        server.clear();
        UpdateValues::reset();
        QFile::remove(SequenceStore::defaultPath());
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
        serveSigned(answer, signatureOf(answer));
        RecordingPrompt prompt;
        UpdateCheck check(server.url(""), &prompt);
        QCOMPARE(check.get(), -1);
        QSignalSpy finished(&check, &UpdateCheck::checkFinished);
        check.doCheckUpdate("R1.0.3", "12");
        QVERIFY(finished.wait(5000));
        QCOMPARE(server.targets().value(0), QString("/api/system/upgrade?fwversion=12&version=R1.0.3&noencrypt=1"));
        QCOMPARE(server.targets().value(1),
                 QString("/api/system/upgrade.minisig?fwversion=12&version=R1.0.3&noencrypt=1"));
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

    void onlyFreshSignedAnswersInOrderCount()
    {
        const QByteArray offer = R"({"code":0,"ret":{"type":"0","description":"notes"}})";
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        QByteArray tampered = offer;
        tampered.replace("notes", "NOTES");
        const auto listSignature = [&](const QString& channel, quint64 sequence, qint64 expires) {
            return TestSigning::signedListSignature(offer, channel, sequence, expires);
        };
        QByteArray comment = signatureOf(offer, 5);
        comment.replace("sequence:5", "sequence:6");  // the trusted comment changed after signing

        const QList<QPair<const char*, QByteArray>> refused{
            {"no signature", QByteArray()},
            {"not a signature", "hello"},
            {"stranger", TestSigning::signedListSignature(offer, UpdateCheck::kChannel, 5, now + 3600,
                                                          TestSigning::strangerKey())},
            {"expired", listSignature(UpdateCheck::kChannel, 5, now - 1)},
            {"other channel", listSignature("firmware", 5, now + 3600)},
            {"comment changed", comment},
            {"no expiry", Minisign::sign(offer, TestSigning::key(), "channel:upgrade sequence:5")},
        };
        for (const auto& bad : refused) {
            serveSigned(offer, bad.second);
            RecordingPrompt prompt;
            QCOMPARE(check(&prompt), 0);
            QVERIFY2(prompt.offers.isEmpty(), bad.first);
            QCOMPARE(keptSequence(), quint64(0));
        }
        // The answer itself changed after it was signed.
        serveSigned(tampered, signatureOf(offer, 5));
        QCOMPARE(check(), 0);

        serveSigned(offer, signatureOf(offer, 5));
        QCOMPARE(check(), 1);
        QCOMPARE(keptSequence(), quint64(5));
        // The same answer again is fine; an older one is a rollback and
        // moves nothing.
        QCOMPARE(check(), 1);
        serveSigned(offer, signatureOf(offer, 4));
        QCOMPARE(check(), 0);
        QCOMPARE(keptSequence(), quint64(5));
        serveSigned(offer, signatureOf(offer, 7));
        QCOMPARE(check(), 1);
        QCOMPARE(keptSequence(), quint64(7));
    }

    void aSignatureMadeByMinisignVerifies()
    {
        const QString minisign = QStandardPaths::findExecutable("minisign");
        if (minisign.isEmpty())
            QSKIP("minisign is not installed (scripts/deps.sh installs it)");
        QTemporaryDir dir;
        const QString list = dir.filePath("list.json");
        const QByteArray answer = R"({"code":0,"ret":{"type":"0"}})";
        QFile out(list);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(answer) == answer.size());
        out.close();
        const qint64 expires = QDateTime::currentSecsSinceEpoch() + 3600;
        QCOMPARE(QProcess::execute(minisign, {"-G", "-W", "-p", dir.filePath("k.pub"), "-s", dir.filePath("k.key")}), 0);
        QCOMPARE(QProcess::execute(minisign, {"-S", "-s", dir.filePath("k.key"), "-m", list, "-t",
                                              QString("channel:upgrade sequence:3 expires:%1").arg(expires)}),
                 0);
        QFile signature(list + ".minisig");
        QFile publicKey(dir.filePath("k.pub"));
        QVERIFY(signature.open(QIODevice::ReadOnly) && publicKey.open(QIODevice::ReadOnly));
        const QByteArray signatureText = signature.readAll();

        UpdateKeys keys;
        QStringList problems;
        keys.addFromText(publicKey.readAll(), "k.pub", &problems);
        QVERIFY(problems.isEmpty());
        SequenceStore sequences(dir.filePath("sequences.json"));
        const ListVerdict verdict = verifySignedList(answer, signatureText, "upgrade",
                                                     QDateTime::currentSecsSinceEpoch(), keys, sequences);
        QVERIFY2(verdict.trusted, qPrintable(verdict.reason));
        QCOMPARE(verdict.claims.sequence, quint64(3));
        QCOMPARE(sequences.highest("upgrade"), quint64(3));
        // minisign's default comment (no channel, no expiry) is not enough.
        QCOMPARE(QProcess::execute(minisign, {"-S", "-s", dir.filePath("k.key"), "-m", list}), 0);
        QVERIFY(signature.seek(0));
        signature.close();
        QVERIFY(signature.open(QIODevice::ReadOnly));
        QVERIFY(!verifySignedList(answer, signature.readAll(), "upgrade", QDateTime::currentSecsSinceEpoch(), keys,
                                  sequences)
                     .trusted);
        // And our signature verifies with minisign itself.
        QFile ours(list + ".minisig");
        QVERIFY(ours.open(QIODevice::WriteOnly));
        ours.write(Minisign::sign(answer, TestSigning::key(), "channel:upgrade sequence:1 expires:9999999999"));
        ours.close();
        QCOMPARE(QProcess::execute(minisign, {"-V", "-q", "-P", UpdateKeys::keyLine(TestSigning::key().publicKey()),
                                              "-m", list}),
                 0);
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
            const QByteArray answer = offered ? R"({"code":0,"ret":{"type":"0"}})" : R"({"code":0,"ret":{"type":"2"}})";
            return HttpTestServer::jsonReply(request.startsWith("GET /api/system/upgrade.minisig") ? signatureOf(answer)
                                                                                                  : answer);
        });
        RecordingPrompt prompt;
        StartupUpdateCheck walk(server.url(""), "R1.0.3", {"11", "12", "13"}, &prompt);
        walk.setInterval(100);
        QSignalSpy finished(&walk, &StartupUpdateCheck::finished);
        walk.start();
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.at(0).at(0).toInt(), 1);
        QCOMPARE(server.targets().filter("upgrade?").size(), 2);
        QCOMPARE(prompt.offers.size(), 1);

        // Without an offer the walk ends with the last version's answer.
        server.clear();
        StartupUpdateCheck quiet(server.url(""), "R1.0.3", {"11", "13"});
        quiet.setInterval(100);
        QSignalSpy quietFinished(&quiet, &StartupUpdateCheck::finished);
        quiet.start();
        QVERIFY(quietFinished.wait(5000));
        QCOMPARE(quietFinished.at(0).at(0).toInt(), -1);
        QCOMPARE(server.targets().filter("upgrade?").size(), 2);
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
