// Firmware images and flashing through the emulator's boot loader, driven
// the way a page drives it: "UpdateFirmware", "ExecuteUpdate--" and
// "DownloadFile" through the dispatcher of a page session without a window, packages from a
// server on 127.0.0.1, the firmware waits on a recording clock.

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "client_settings.h"
#include "command_dispatcher.h"
#include "firmware_clock.h"
#include "firmware_image.h"
#include "page_events.h"
#include "page_session.h"
#include "http_test_server.h"
#include "package_test_support.h"
#include "package_writer.h"
#include "update_service.h"

using namespace TestSupport;

namespace {

struct NoSettings : ClientSettings {
    QString clientProfilePath() const override { return QString(); }
    QMap<QString, QString> reloadClientProfile() const override { return {}; }
    void setTrayMode(const QString&) override {}
};

struct RecordingClock : FirmwareClock {
    QMutex mutex;
    QList<int> waits;
    void wait(int ms) override
    {
        QMutexLocker lock(&mutex);
        waits << ms;
    }
};

QByteArray romOf(int size)
{
    QByteArray rom(size, '\0');
    for (int i = 0; i < size; ++i)
        rom[i] = char((i * 13 + 1) & 0xFF);
    rom[0] = char(0x42);  // the version byte the emulator reports afterwards
    return rom;
}

// A package holding image as `name`, signed with the test key unless
// asked not to be.
QByteArray packageWith(const QByteArray& image, const QString& name = "update.bin", bool sign = true)
{
    QByteArray package;
    QString error;
    if (!buildPackage("1.0", {{name, image}}, &package, &error))
        qFatal("%s", qPrintable(error));
    return sign ? TestSigning::signedPackage(package) : package;
}

const QByteArray kDevices = R"({"devices":[
  {"name":"W1","reportedId":"25A7FA91","vendorId":"258A","productId":"1011","firmwareVersion":"31",
   "interfaces":[{"collection":"05","usagePage":"0xFFAA"},{"collection":"07"}]FAULTS},
  {"name":"M1","vendorId":"258A","productId":"1007","firmwareVersion":"11","interfaces":[{"collection":"02"}]}]})";

} // namespace

// Records each event's name, first argument and arguments.
class EventRecorder : public PageEventSink
{
public:
    QStringList* events = nullptr;
    QList<QVariantList>* eventArgs = nullptr;
    void deliver(const EventRoute&, const QString&, const QString& name, const QVariantList& args) override
    {
        *events << (name + ' ' + args.value(0).toString());
        *eventArgs << args;
    }
};

class FirmwareUpdateTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    HttpTestServer server;
    NoSettings settings;
    EventRecorder recorder;
    std::unique_ptr<PageSession> session;
    UpdateService* updates = nullptr;
    CommandDispatcher* dispatcher = nullptr;
    std::shared_ptr<RecordingClock> clock;
    QStringList events;  // "name arg0"
    QList<QVariantList> eventArgs;
    QString folder;

    void setDevices(const QByteArray& faults = QByteArray())
    {
        QVERIFY(writeFile(dir.filePath("devices.json"), QByteArray(kDevices).replace("FAULTS", faults)));
        QFile::remove(dir.filePath("calls.log"));
    }

    QList<QJsonObject> calls(const QString& name = QString()) const
    {
        QList<QJsonObject> out;
        for (const QByteArray& line : readFile(dir.filePath("calls.log")).split('\n')) {
            const QJsonObject call = QJsonDocument::fromJson(line).object();
            if (!call.isEmpty() && (name.isEmpty() || call.value("call").toString() == name))
                out << call;
        }
        return out;
    }

    QJsonObject savedW1() const
    {
        return QJsonDocument::fromJson(readFile(dir.filePath("devices.json"))).object()["devices"].toArray()[0].toObject();
    }

    // Runs a request built from its members; answers "S:text", "F:text"
    // or "none".
    QString send(const QString& funcName, const QVariantMap& members)
    {
        QJsonObject request = QJsonObject::fromVariantMap(members);
        request.insert("FuncName", funcName);
        return sendText(QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact)));
    }
    QString sendText(const QString& request)
    {
        QString answer = QStringLiteral("none");
        dispatcher->onJsMessage(request, makeQueryCallback([&](const QString& t) { answer = "S:" + t; },
                                                           [&](int, const QString& t) { answer = "F:" + t; }));
        return answer;
    }

    // Puts an image where a page finds it the way the program does: a
    // signed package unpacked by "UnPackFile".
    bool placeImage(const QString& name, const QByteArray& image)
    {
        return writeFile(folder + "/" + name + ".pkg", packageWith(image, name))
               && send("UnPackFile", {{"FileName", name + ".pkg"}, {"UnPath", ""}}) == "S:success!";
    }

    bool flash(const QString& imageName, const QString& deviceKey = QString())
    {
        QSignalSpy finished(updates, &UpdateService::firmwareUpdateFinished);
        QVariantMap members{{"FilePath", imageName}, {"UpdateState", "1"}};
        if (!deviceKey.isEmpty())
            members.insert("Version", deviceKey);
        send("ExecuteUpdate--", members);
        return finished.wait(10000) && finished.at(0).at(0).toBool();
    }

    QStringList callNames() const
    {
        QStringList names;
        for (const QJsonObject& call : calls())
            names << call.value("call").toString();
        return names;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(!TestSigning::trustTestKey().isEmpty());
        QVERIFY(server.start());
        qputenv("ORVANTA_TRANSPORT", EMULATOR_LIBRARY);
        qputenv("ORVANTA_DEVICES", QFile::encodeName(dir.filePath("devices.json")));
        qputenv("ORVANTA_TRANSPORT_LOG", QFile::encodeName(dir.filePath("calls.log")));
        folder = dir.filePath("app");
        QDir().mkpath(folder);
        recorder.events = &events;
        recorder.eventArgs = &eventArgs;
        PageSessionSetup setup;
        setup.applicationFolder = folder;
        setup.settings = &settings;
        setup.events = &recorder;
        session = std::make_unique<PageSession>(std::move(setup));
        updates = &session->updates();
        dispatcher = &session->dispatcher();
    }
    void init()
    {
        setDevices();
        events.clear();
        eventArgs.clear();
        clock = std::make_shared<RecordingClock>();
        updates->setFirmwareClock(clock);
    }
    void cleanupTestCase()
    {
        session.reset();
    }

    void imagesAreCheckedBeforeAnyDeviceIsTouched()
    {
        FirmwareImage image;
        const QByteArray good = FirmwareImage::build("123456789", "25A7FA91-and-more-text");
        QVERIFY(FirmwareImage::parse(good, &image));
        QCOMPARE(image.deviceId(), QString("25A7FA91-and-m"));
        QCOMPARE(image.romLength(), 9u);
        QCOMPARE(image.checkValue(), 0xCBF43926u);  // CRC-32 of "123456789"

        QByteArray badSignature = good;
        badSignature[0] = 0x17;
        QByteArray secondWord = good;
        secondWord[4] = 1;
        QByteArray noRom = good;
        noRom.replace(FirmwareImage::kRomLengthOffset, 8, QByteArray(8, '\0'));
        QByteArray pastTheRom = good;
        pastTheRom.replace(FirmwareImage::kRomLengthOffset, 8, u32le(65820) + u32le(0));
        // A ROM byte changed after the image was made: its CRC-32 no longer
        // matches, and the boot loader would only find out after erasing.
        QByteArray damagedRom = good;
        damagedRom[FirmwareImage::kRomOffset + 3] = char(damagedRom[FirmwareImage::kRomOffset + 3] ^ 0x01);
        QByteArray wrongCheck = good;
        wrongCheck[FirmwareImage::kCheckValueOffset] = char(wrongCheck[FirmwareImage::kCheckValueOffset] ^ 0x80);
        QByteArray noDevice = good;
        noDevice.replace(FirmwareImage::kDeviceIdOffset, 60, QByteArray(60, '\0'));
        QByteArray unendedId = good;
        unendedId.replace(FirmwareImage::kDeviceIdOffset, 60, QByteArray(60, 'A'));
        for (const QByteArray& bad : {badSignature, secondWord, noRom, pastTheRom, damagedRom, wrongCheck, noDevice,
                                      unendedId})
            QVERIFY(!FirmwareImage::parse(bad, &image));

        // Flashing a bad image lists the devices and nothing else. What is
        // not an image is left where it is: the request may name any file.
        for (const QByteArray& bad : {badSignature, damagedRom}) {
            QFile::remove(dir.filePath("calls.log"));
            events.clear();
            QVERIFY(writeFile(folder + "/bad.bin", bad));
            QVERIFY(!flash("bad.bin"));
            QVERIFY(QFile::exists(folder + "/bad.bin"));
            QCOMPARE(callNames(), QStringList{"dcDevices"});
            QCOMPARE(events, (QStringList{"onUpdateFirmware StartUpdate", "onUpdateFirmware updatefailed"}));
        }
        QVERIFY(!savedW1().value("bootLoader").toBool());

        // A file longer than an image is refused as a whole.
        QVERIFY(writeFile(folder + "/long.bin", good + QByteArray(FirmwareImage::kImageSize - good.size() + 1, 0)));
        QVERIFY(!flash("long.bin"));
        QVERIFY(calls("Reset").isEmpty());
    }

    void aPackageFromTheServerIsFlashedEndToEnd()
    {
        server.serve("/fw/mouse-31.pkg", packageWith(FirmwareImage::build(romOf(4000), "25A7FA91")));
        QSignalSpy finished(updates, &UpdateService::firmwareUpdateFinished);
        QCOMPARE(send("UpdateFirmware", {{"downloadUrl", server.url("/fw/mouse-31.pkg")}}),
                 QString("S:start download"));
        QVERIFY(finished.wait(10000));
        QVERIFY(finished.at(0).at(0).toBool());

        QCOMPARE(events.first(), QString("onUpdateFirmware downLoading"));
        QVERIFY(events.at(1).startsWith("RefreshDownState "));
        QCOMPARE(events.mid(events.size() - 2),
                 (QStringList{"onUpdateFirmware updating", "onUpdateFirmware updated"}));

        const QString w1 = calls("Reset").value(0).value("path").toString();
        QVERIFY(w1.contains("col07") || w1.contains("col05"));
        QCOMPARE(calls("Reset").value(0).value("mode").toInt(), 1);
        QCOMPARE(calls("DeviceExist").value(0).value("target").toString(), QString("Vid_258a&Pid_ff12"));
        QList<QPair<int, int>> blocks;
        for (const QJsonObject& call : calls("WriteRom")) {
            QVERIFY(call.value("path").toString().contains("pid_ff12"));
            blocks << qMakePair(call.value("offset").toInt(), call.value("length").toInt());
        }
        QCOMPARE(blocks, (QList<QPair<int, int>>{{0, 2000}, {2000, 2000}, {4000, 0}}));
        const QJsonObject check = calls("CheckRom").value(0);
        QCOMPARE(check.value("length").toInt(), 4000);
        QCOMPARE(check.value("check").toString(), "0x" + QString::number(FirmwareImage::crc32(romOf(4000)), 16));
        QCOMPARE(calls("FinishUpdateRom").size(), 1);
        QCOMPARE(clock->waits, (QList<int>{10000, 1000, 20, 20, 20, 1000, 100, 3000}));
        QCOMPARE(savedW1().value("firmwareVersion").toString(), QString("42"));
        QVERIFY(!QFile::exists(folder + "/update.bin"));

        // The package is there no more, so asking again downloads again; a
        // whole package still present is answered with its path.
        QVERIFY(writeFile(folder + "/kept.pkg", packageWith(FirmwareImage::build(romOf(10), "25A7FA91"))));
        events.clear();
        QCOMPARE(send("UpdateFirmware", {{"downloadUrl", "http://h/a/kept.pkg?x=1"}}),
                 "S:" + folder + "/kept.pkg");
        QCOMPARE(events, QStringList{"onUpdateFirmware dirStr + fileName"});
        QVERIFY(QFile::remove(folder + "/kept.pkg"));
    }

    void aBrokenDownloadIsResumedNotTakenForTheWholePackage()
    {
        // A download that broke off left the first 100 KiB of the package:
        // asking again resumes it, unpacks and flashes, rather than
        // answering with the half file.
        // Bytes that do not compress, so that the package outgrows 100 KiB.
        QByteArray noise(150000, '\0');
        quint32 state = 2463534242u;
        for (int i = 0; i < noise.size(); ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            noise[i] = char(state & 0xFF);
        }
        QByteArray rom = noise.left(6000);
        rom[0] = char(0x43);
        QByteArray package;
        QVERIFY(buildPackage("1.0", {{"update.bin", FirmwareImage::build(rom, "25A7FA91")}, {"notes.bin", noise}},
                             &package));
        package = TestSigning::signedPackage(package);
        QVERIFY(package.size() > 102400);
        server.serve("/fw/big.pkg", package);
        QVERIFY(writeFile(folder + "/big.pkg", package.left(102400)));
        server.clear();
        QSignalSpy finished(updates, &UpdateService::firmwareUpdateFinished);
        QCOMPARE(send("UpdateFirmware", {{"downloadUrl", server.url("/fw/big.pkg")}}), QString("S:start download"));
        QVERIFY(finished.wait(10000));
        QVERIFY(finished.at(0).at(0).toBool());
        QCOMPARE(server.header(server.requests().size() - 1, "Range"), QByteArray("bytes=102400-"));
        QCOMPARE(savedW1().value("firmwareVersion").toString(), QString("43"));
        QVERIFY(!QFile::exists(folder + "/big.pkg"));

        // The same for a page file.
        QByteArray page;
        QVERIFY(buildPackage("1", {{"notes/a.txt", noise}}, &page));
        page = TestSigning::signedPackage(page);
        server.serve("/p/notes.pkg", page);
        QDir().mkpath(folder + "/tupdates");
        QVERIFY(writeFile(folder + "/tupdates/notes.pkg", page.left(page.size() / 2)));
        QString answer;
        dispatcher->onJsMessage(
            QString("{\"FuncName\":\"DownloadFile\",\"downloadUrl\":\"%1\",\"relativePath\":\"tupdates/\"}")
                .arg(server.url("/p/notes.pkg")),
            makeQueryCallback([&](const QString& t) { answer = "S:" + t; }, [&](int, const QString& t) { answer = "F:" + t; }));
        QTRY_VERIFY_WITH_TIMEOUT(!answer.isEmpty(), 10000);
        QCOMPARE(answer, "S:" + folder + "/tupdates/notes.pkg");
        QCOMPARE(readFile(folder + "/notes/a.txt"), noise);
    }

    void aPackageForAnotherDeviceIsRefusedBeforeAnythingIsSent()
    {
        // From the M1.0 mouse's page, a package built for the W1 mouse.
        server.serve("/fw/w1.pkg", packageWith(FirmwareImage::build(romOf(3000), "25A7FA91")));
        QSignalSpy finished(updates, &UpdateService::firmwareUpdateFinished);
        QCOMPARE(send("UpdateFirmware", {{"downloadUrl", server.url("/fw/w1.pkg")}, {"Version", "258A1007"}}),
                 QString("S:start download"));
        QVERIFY(finished.wait(10000));
        QVERIFY(!finished.at(0).at(0).toBool());
        QCOMPARE(callNames(), QStringList{"dcDevices"});
        QCOMPARE(eventArgs.last(), (QVariantList{"updatefailed", "This package is for 25A7FA91, not 258A1007",
                                                 "25A7FA91", "258A1007"}));
        QCOMPARE(savedW1().value("firmwareVersion").toString(), QString("31"));

        // An image on disk, through "ExecuteUpdate--", likewise; and the
        // image that is for the device named is flashed.
        QFile::remove(dir.filePath("calls.log"));
        QVERIFY(placeImage("w1.bin", FirmwareImage::build(romOf(100), "25A7FA91")));
        QVERIFY(!flash("w1.bin", "258A1007"));
        QCOMPARE(callNames(), QStringList{"dcDevices"});
        QVERIFY(placeImage("w1.bin", FirmwareImage::build(romOf(100), "25A7FA91")));
        QVERIFY(flash("w1.bin", "25a7fa91"));
    }

    void aWaitingBootLoaderIsFlashedOnlyForTheDeviceThisProgramPutThere()
    {
        // A boot loader that was waiting before this program touched it: an
        // image for another device (or a keyboard) is not flashed into it.
        setDevices(R"(,"bootLoader":true)");
        for (const QString& id : {QString("258A9999"), QString("258A0029"), QString("25A7FA91")}) {
            QFile::remove(dir.filePath("calls.log"));
            QVERIFY(placeImage("any.bin", FirmwareImage::build(romOf(100), id)));
            QVERIFY(!flash("any.bin"));
            QCOMPARE(callNames(), QStringList{"dcDevices"});
        }
        QVERIFY(savedW1().value("bootLoader").toBool());
        QCOMPARE(events.last(), QString("onUpdateFirmware updatefailed"));
    }

    void aSecondRequestDuringAFlashIsRefusedWithoutAnEvent()
    {
        // A flash held in its first wait (the boot loader's 10 s).
        struct HeldClock : FirmwareClock {
            QSemaphore go;
            void wait(int ms) override
            {
                if (ms == 10000)
                    go.acquire();
            }
        };
        auto held = std::make_shared<HeldClock>();
        updates->setFirmwareClock(held);
        QSignalSpy finished(updates, &UpdateService::firmwareUpdateFinished);
        QVERIFY(placeImage("first.bin", FirmwareImage::build(romOf(100), "25A7FA91")));
        send("ExecuteUpdate--", {{"FilePath", "first.bin"}, {"UpdateState", "1"}});
        QTRY_VERIFY(!calls("Reset").isEmpty());

        // Another flash, and a firmware download, while it runs: refused on
        // their own answers, with no "updatefailed" the first one's page
        // would take for its outcome.
        events.clear();
        QVERIFY(placeImage("second.bin", FirmwareImage::build(romOf(100), "258A1007")));
        QCOMPARE(send("ExecuteUpdate--", {{"FilePath", "second.bin"}, {"UpdateState", "1"}}), QString("none"));
        server.serve("/fw/other.pkg", packageWith(FirmwareImage::build(romOf(100), "258A1007")));
        QCOMPARE(send("UpdateFirmware", {{"downloadUrl", server.url("/fw/other.pkg")}}), QString("F:downloadFaild"));
        QTest::qWait(200);
        QCOMPARE(events, QStringList());
        QVERIFY(QFile::exists(folder + "/second.bin"));

        held->go.release();
        QVERIFY(finished.wait(10000));
        QVERIFY(finished.at(0).at(0).toBool());
        QCOMPARE(events, QStringList{"onUpdateFirmware updated"});
        QFile::remove(folder + "/second.bin");
    }

    void programFilesAreNeverTakenForImages()
    {
        // Files of the program, named as the image: refused before anything
        // is read, and left as they are.
        QVERIFY(writeFile(folder + "/skn.dat", "pages"));
        QVERIFY(writeFile(folder + "/orvanta", "\x7f" "ELF program"));
        QVERIFY(writeFile(folder + "/notes.txt", "not an image"));
        for (const QString& name : {QString("skn.dat"), QString("orvanta"), QString("conf.ini")}) {
            QVERIFY(writeFile(folder + "/conf.ini", "[General]"));
            events.clear();
            QFile::remove(dir.filePath("calls.log"));
            send("ExecuteUpdate--", {{"FilePath", name}, {"UpdateState", "1"}});
            QCOMPARE(events, QStringList{"onUpdateFirmware updatefailed"});
            QVERIFY(calls().isEmpty());
            QVERIFY(QFile::exists(folder + "/" + name));
        }
        // A file that is not an image is read, refused and kept.
        QVERIFY(!flash("notes.txt"));
        QCOMPARE(readFile(folder + "/notes.txt"), QByteArray("not an image"));
    }

    void aFailedCheckLeavesTheBootLoaderWhichCanBeFlashedAgain()
    {
        setDevices(R"(,"faults":{"failBootStep":"CheckRom","failBootStepCall":1})");
        QVERIFY(placeImage("first.bin", FirmwareImage::build(romOf(3000), "25A7FA91")));
        QVERIFY(!flash("first.bin"));
        QVERIFY(savedW1().value("bootLoader").toBool());
        QCOMPARE(events.last(), QString("onUpdateFirmware updatefailed"));

        // No device with the id is attached now, but its boot loader waits.
        QFile::remove(dir.filePath("calls.log"));
        clock->waits.clear();
        QVERIFY(placeImage("again.bin", FirmwareImage::build(romOf(3000), "25A7FA91")));
        QVERIFY(flash("again.bin"));
        QVERIFY(calls("Reset").isEmpty());
        QCOMPARE(calls("WriteRom").size(), 2);
        QCOMPARE(clock->waits, (QList<int>{1000, 20, 20, 1000, 100, 3000}));
        QVERIFY(!savedW1().value("bootLoader").toBool());
        QCOMPARE(events.last(), QString("onUpdateFirmware updated"));
    }

    void anImageForADeviceThatIsNotThereResetsNothing()
    {
        QVERIFY(placeImage("other.bin", FirmwareImage::build(romOf(100), "258A9999")));
        QVERIFY(!flash("other.bin"));
        QVERIFY(calls("Reset").isEmpty());
        // A device reporting no id is found by its vendor and product ids.
        QVERIFY(placeImage("m1.bin", FirmwareImage::build(romOf(100), "258A1007")));
        QVERIFY(flash("m1.bin"));
        QVERIFY(calls("Reset").value(0).value("path").toString().contains("pid_1007"));
    }

    QJsonObject trustOf(const QString& member, const QString& value)
    {
        const QString answer = send("GetUpdateTrust", {{member, value}});
        return answer.startsWith("S:") ? QJsonDocument::fromJson(answer.mid(2).toUtf8()).object() : QJsonObject();
    }

    // One firmware package from the server: whether it was flashed, with
    // the device's calls and the trust verdict the pages read.
    bool firmwareFrom(const QString& path, const QByteArray& package)
    {
        server.serve(path, package);
        QFile::remove(dir.filePath("calls.log"));
        events.clear();
        eventArgs.clear();
        QSignalSpy ended(updates, &UpdateService::downloadEnded);
        QSignalSpy finished(updates, &UpdateService::firmwareUpdateFinished);
        if (send("UpdateFirmware", {{"downloadUrl", server.url(path)}}) != "S:start download")
            return false;
        if (!ended.wait(10000))
            return false;
        if (!ended.at(0).at(0).toBool())
            return false;
        return (!finished.isEmpty() || finished.wait(10000)) && finished.at(0).at(0).toBool();
    }

    void onlyPackagesSignedByATrustedKeyAreInstalled()
    {
        const QByteArray image = FirmwareImage::build(romOf(100), "25A7FA91");
        const QByteArray unsignedPackage = packageWith(image, "update.bin", false);
        const QByteArray good = TestSigning::signedPackage(unsignedPackage, 9);

        QByteArray payloadFlipped = good;
        payloadFlipped[payloadFlipped.size() - 1] = char(payloadFlipped.at(payloadFlipped.size() - 1) ^ 0x01);
        // Its SHA-1 made to match again: only the signature can tell.
        payloadFlipped.replace(PackageFormat::kDigestOffset, PackageFormat::kDigestSize,
                               QCryptographicHash::hash(payloadFlipped.mid(PackageFormat::kPropertiesOffset),
                                                        QCryptographicHash::Sha1));
        QByteArray headerFlipped = good;
        headerFlipped[80] = char(headerFlipped.at(80) ^ 0x01);  // the release sequence
        QByteArray keyIdFlipped = good;
        keyIdFlipped[8] = char(keyIdFlipped.at(8) ^ 0x01);
        QByteArray zeroSignatures = good;
        zeroSignatures[6] = 0;
        QByteArray emptySignature = good;
        emptySignature.replace(16, 64, QByteArray(64, '\0'));
        QByteArray truncatedBlock = good;
        truncatedBlock.replace(40, 88, QByteArray(88, '\0'));
        const QByteArray stranger = TestSigning::signedPackage(unsignedPackage, 9, ClientVersion(),
                                                               TestSigning::strangerKey());
        ClientVersion future;
        QVERIFY(ClientVersion::parse("999.0", &future));
        const QByteArray tooNew = TestSigning::signedPackage(unsignedPackage, 9, future);

        const QList<QPair<QString, QByteArray>> refused{
            {"unsigned", unsignedPackage},       {"payload", payloadFlipped},      {"header", headerFlipped},
            {"key id", keyIdFlipped},            {"no signatures", zeroSignatures}, {"empty", emptySignature},
            {"truncated", truncatedBlock},       {"stranger", stranger},           {"too new", tooNew}};
        for (const auto& bad : refused) {
            const QString path = "/fw/" + QString(bad.first).replace(' ', '-') + ".pkg";
            QVERIFY2(!firmwareFrom(path, bad.second), qPrintable(bad.first));
            // Nothing written, nothing sent to a device.
            QVERIFY2(!QFile::exists(folder + "/update.bin"), qPrintable(bad.first));
            QVERIFY2(calls("Reset").isEmpty(), qPrintable(bad.first));
            QCOMPARE(events.last(), QString("onUpdateFirmware updatefailed"));
            const QJsonObject trust = trustOf("downloadUrl", server.url(path));
            QVERIFY2(trust.value("Known").toBool() && !trust.value("Trusted").toBool(), qPrintable(bad.first));
            QVERIFY2(!trust.value("Reason").toString().isEmpty(), qPrintable(bad.first));
        }
        QVERIFY(trustOf("downloadUrl", server.url("/fw/unsigned.pkg")).value("Reason").toString()
                    .startsWith("not signed by a trusted key"));
        QVERIFY(trustOf("downloadUrl", server.url("/fw/stranger.pkg")).value("Reason").toString()
                    .contains("unknown key"));
        QVERIFY(trustOf("downloadUrl", server.url("/fw/too-new.pkg")).value("Reason").toString()
                    .contains("999.0"));
        QVERIFY(!trustOf("downloadUrl", server.url("/fw/never.pkg")).value("Known").toBool());

        QVERIFY(firmwareFrom("/fw/good.pkg", good));
        const QJsonObject trust = trustOf("downloadUrl", server.url("/fw/good.pkg"));
        QVERIFY(trust.value("Trusted").toBool());
        QCOMPARE(trust.value("Signer").toString(), QString("Orvanta test key"));
        QCOMPARE(trust.value("Release").toString(), QString("9"));

        // A package a page names: unpacked only when signed; an unsigned
        // one writes nothing.
        QVERIFY(writeFile(folder + "/local.pkg", packageWith("text", "local.txt", false)));
        QCOMPARE(send("UnPackFile", {{"FileName", "local.pkg"}, {"UnPath", ""}}), QString("F:failed!"));
        QVERIFY(!QFile::exists(folder + "/local.txt"));
        QVERIFY(!trustOf("FileName", "local.pkg").value("Trusted").toBool());
        QVERIFY(writeFile(folder + "/local.pkg", packageWith("text", "local.txt")));
        QCOMPARE(send("UnPackFile", {{"FileName", "local.pkg"}, {"UnPath", ""}}), QString("S:success!"));
        QCOMPARE(readFile(folder + "/local.txt"), QByteArray("text"));
        QVERIFY(trustOf("FileName", folder + "/local.pkg").value("Trusted").toBool());
    }

    void pageFilesInstallOnlyWhenSigned()
    {
        QByteArray pages;
        QVERIFY(buildPackage("1.0", {{"pages/signed.html", "<p>new</p>"}}, &pages));
        const QByteArray good = TestSigning::signedPackage(pages);
        QByteArray changed = good;
        changed[200] = char(changed.at(200) ^ 0x01);
        const auto download = [&](const QString& path, const QByteArray& package) {
            server.serve(path, package);
            QString answer;
            dispatcher->onJsMessage(
                QString(R"({"FuncName":"DownloadFile","downloadUrl":"%1","relativePath":"tupdates/"})").arg(server.url(path)),
                makeQueryCallback([&](const QString& t) { answer = "S:" + t; },
                                  [&](int, const QString& t) { answer = "F:" + t; }));
            return QTest::qWaitFor([&]() { return !answer.isEmpty(); }, 10000) ? answer : QString("none");
        };
        QCOMPARE(download("/p/unsigned.pkg", pages), QString("F:downloadFaild"));
        QCOMPARE(download("/p/changed.pkg", changed), QString("F:downloadFaild"));
        QVERIFY(!QFile::exists(folder + "/pages/signed.html"));
        QVERIFY(!QFile::exists(folder + "/tupdates/unsigned.pkg"));
        QVERIFY(!QFile::exists(folder + "/tupdates/changed.pkg"));
        QVERIFY(trustOf("downloadUrl", server.url("/p/changed.pkg")).value("Reason").toString().contains("does not match"));

        QCOMPARE(download("/p/good.pkg", good), "S:" + folder + "/tupdates/good.pkg");
        QCOMPARE(readFile(folder + "/pages/signed.html"), QByteArray("<p>new</p>"));
        QCOMPARE(trustOf("downloadUrl", server.url("/p/good.pkg")).value("Signer").toString(), QString("Orvanta test key"));
        QFile::remove(folder + "/pages/signed.html");
    }

    void onlyImagesFromATrustedPackageAreFlashed()
    {
        // An image put in place any other way than by a trusted package, or
        // changed after it was, is refused before any device is touched,
        // and the page hears why.
        const QByteArray image = FirmwareImage::build(romOf(100), "25A7FA91");
        QVERIFY(writeFile(folder + "/raw.bin", image));
        QVERIFY(!flash("raw.bin"));
        QCOMPARE(callNames(), QStringList{"dcDevices"});
        QCOMPARE(eventArgs.last(), (QVariantList{"updatefailed", "not signed by a trusted key"}));

        QVERIFY(placeImage("changed.bin", image));
        QVERIFY(writeFile(folder + "/changed.bin", FirmwareImage::build(romOf(101), "25A7FA91")));
        QFile::remove(dir.filePath("calls.log"));
        QVERIFY(!flash("changed.bin"));
        QVERIFY(calls("Reset").isEmpty());

        // Each unpacked image is flashed once.
        QVERIFY(placeImage("once.bin", image));
        QVERIFY(flash("once.bin"));
        QVERIFY(writeFile(folder + "/once.bin", image));
        QVERIFY(!flash("once.bin"));
    }

    void requestsAreCheckedBeforeAnythingStarts()
    {
        QCOMPARE(send("UpdateFirmware", {{"downloadUrl", "http://h/dir/"}}),
                 QString("F:url file is not captured"));
        QCOMPARE(events, QStringList{"onUpdateFirmware url file is not captured"});
        QCOMPARE(send("UpdateFirmware", {}), QString("none"));
        QCOMPARE(send("DownloadFile", {{"downloadUrl", "http://h/p.pkg"}}), QString("none"));
        QCOMPARE(send("DownloadFile", {{"downloadUrl", "http://h/p.pkg"}, {"relativePath", "../"}}),
                 QString("F:downloadFaild"));
        QDir().mkpath(folder + "/pages");
        QByteArray whole;
        QVERIFY(buildPackage("1", {{"x.txt", "x"}}, &whole));
        whole = TestSigning::signedPackage(whole);
        QVERIFY(writeFile(folder + "/pages/p.pkg", whole));
        QCOMPARE(send("DownloadFile", {{"downloadUrl", "http://h/p.pkg"}, {"relativePath", "pages/"}}),
                 "S:" + folder + "/pages/p.pkg");

        // Only http and https are fetched: file: and data: would copy any
        // file the user can read (or any bytes) into the program's folder.
        QVERIFY(writeFile(dir.filePath("secret.pkg"), whole));
        for (const QString& address : {"file://" + dir.filePath("secret.pkg"), QString("data:,x/secret.pkg"),
                                       QString("ftp://h/secret.pkg"), QString("http:///secret.pkg")}) {
            events.clear();
            QCOMPARE(send("DownloadFile", {{"downloadUrl", address}, {"relativePath", "pages/"}}),
                     QString("F:downloadFaild"));
            QCOMPARE(send("UpdateFirmware", {{"downloadUrl", address}}), QString("F:downloadFaild"));
            QVERIFY(!events.contains("onUpdateFirmware downLoading"));
        }
        QVERIFY(!QFile::exists(folder + "/pages/secret.pkg"));
        QVERIFY(!QFile::exists(folder + "/secret.pkg"));

        // An image outside the application folder is neither flashed nor
        // deleted.
        events.clear();
        QVERIFY(writeFile(dir.filePath("outside.bin"), "x"));
        send("ExecuteUpdate--", {{"FilePath", "../outside.bin"}});
        QCOMPARE(events, QStringList{"onUpdateFirmware updatefailed"});
        QVERIFY(QFile::exists(dir.filePath("outside.bin")));
        QVERIFY(calls().isEmpty());
    }
};

QTEST_GUILESS_MAIN(FirmwareUpdateTest)
#include "tst_firmware_update.moc"
