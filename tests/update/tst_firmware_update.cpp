// Firmware images and flashing through the emulator's boot loader, driven
// the way a page drives it: "UpdateFirmware", "ExecuteUpdate--" and
// "DownloadFile" through the dispatcher of a windowless host, packages from a
// server on 127.0.0.1, the firmware waits on a recording clock.

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "client_settings.h"
#include "command_dispatcher.h"
#include "firmware_clock.h"
#include "firmware_image.h"
#include "headless_host.h"
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

QByteArray packageWith(const QByteArray& image)
{
    QByteArray package;
    QString error;
    if (!buildPackage("1.0", {{"update.bin", image}}, &package, &error))
        qFatal("%s", qPrintable(error));
    return package;
}

const QByteArray kDevices = R"({"devices":[
  {"name":"W1","reportedId":"25A7FA91","vendorId":"258A","productId":"1011","firmwareVersion":"31",
   "interfaces":[{"collection":"05","usagePage":"0xFFAA"},{"collection":"07"}]FAULTS},
  {"name":"M1","vendorId":"258A","productId":"1007","firmwareVersion":"11","interfaces":[{"collection":"02"}]}]})";

} // namespace

class FirmwareUpdateTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    HttpTestServer server;
    NoSettings settings;
    std::unique_ptr<HeadlessHost> host;
    std::unique_ptr<CommandDispatcher> dispatcher;
    std::shared_ptr<RecordingClock> clock;
    QStringList events;  // "name arg0"
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

    bool flash(const QString& imageName)
    {
        QSignalSpy finished(host->updateService(), &UpdateService::firmwareUpdateFinished);
        send("ExecuteUpdate--", {{"FilePath", imageName}, {"UpdateState", "1"}});
        return finished.wait(10000) && finished.at(0).at(0).toBool();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(server.start());
        qputenv("ORVANTA_TRANSPORT", EMULATOR_LIBRARY);
        qputenv("ORVANTA_DEVICES", QFile::encodeName(dir.filePath("devices.json")));
        qputenv("ORVANTA_TRANSPORT_LOG", QFile::encodeName(dir.filePath("calls.log")));
        folder = dir.filePath("app");
        QDir().mkpath(folder);
        host = std::make_unique<HeadlessHost>(folder, settings, [this](const QString& name, const QVariantList& args, const QString&) {
            events << (name + ' ' + args.value(0).toString());
        });
        dispatcher = std::make_unique<CommandDispatcher>(*host);
    }
    void init()
    {
        setDevices();
        events.clear();
        clock = std::make_shared<RecordingClock>();
        host->updateService()->setFirmwareClock(clock);
    }
    void cleanupTestCase()
    {
        dispatcher.reset();
        host.reset();
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
        for (const QByteArray& bad : {badSignature, secondWord, noRom, pastTheRom})
            QVERIFY(!FirmwareImage::parse(bad, &image));

        // Flashing a bad image lists the devices and nothing else, and the
        // image is gone afterwards.
        QVERIFY(writeFile(folder + "/bad.bin", badSignature));
        QVERIFY(!flash("bad.bin"));
        QVERIFY(!QFile::exists(folder + "/bad.bin"));
        QStringList names;
        for (const QJsonObject& call : calls())
            names << call.value("call").toString();
        QCOMPARE(names, QStringList{"dcDevices"});
        QCOMPARE(events, (QStringList{"onUpdateFirmware StartUpdate", "onUpdateFirmware updatefailed"}));

        // A file longer than an image is refused as a whole.
        QVERIFY(writeFile(folder + "/long.bin", good + QByteArray(FirmwareImage::kImageSize - good.size() + 1, 0)));
        QVERIFY(!flash("long.bin"));
        QVERIFY(calls("Reset").isEmpty());
    }

    void aPackageFromTheServerIsFlashedEndToEnd()
    {
        server.serve("/fw/mouse-31.pkg", packageWith(FirmwareImage::build(romOf(4000), "25A7FA91")));
        QSignalSpy finished(host->updateService(), &UpdateService::firmwareUpdateFinished);
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
        // package still present is answered with its path.
        QVERIFY(writeFile(folder + "/kept.pkg", "x"));
        events.clear();
        QCOMPARE(send("UpdateFirmware", {{"downloadUrl", "http://h/a/kept.pkg?x=1"}}),
                 "S:" + folder + "/kept.pkg");
        QCOMPARE(events, QStringList{"onUpdateFirmware dirStr + fileName"});
    }

    void aFailedCheckLeavesTheBootLoaderWhichCanBeFlashedAgain()
    {
        setDevices(R"(,"faults":{"failBootStep":"CheckRom","failBootStepCall":1})");
        QVERIFY(writeFile(folder + "/first.bin", FirmwareImage::build(romOf(3000), "25A7FA91")));
        QVERIFY(!flash("first.bin"));
        QVERIFY(savedW1().value("bootLoader").toBool());
        QCOMPARE(events.last(), QString("onUpdateFirmware updatefailed"));

        // No device with the id is attached now, but its boot loader waits.
        QFile::remove(dir.filePath("calls.log"));
        clock->waits.clear();
        QVERIFY(writeFile(folder + "/again.bin", FirmwareImage::build(romOf(3000), "25A7FA91")));
        QVERIFY(flash("again.bin"));
        QVERIFY(calls("Reset").isEmpty());
        QCOMPARE(calls("WriteRom").size(), 2);
        QCOMPARE(clock->waits, (QList<int>{1000, 20, 20, 1000, 100, 3000}));
        QVERIFY(!savedW1().value("bootLoader").toBool());
        QCOMPARE(events.last(), QString("onUpdateFirmware updated"));
    }

    void anImageForADeviceThatIsNotThereResetsNothing()
    {
        QVERIFY(writeFile(folder + "/other.bin", FirmwareImage::build(romOf(100), "258A9999")));
        QVERIFY(!flash("other.bin"));
        QVERIFY(calls("Reset").isEmpty());
        // A device reporting no id is found by its vendor and product ids.
        QVERIFY(writeFile(folder + "/m1.bin", FirmwareImage::build(romOf(100), "258A1007")));
        QVERIFY(flash("m1.bin"));
        QVERIFY(calls("Reset").value(0).value("path").toString().contains("pid_1007"));
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
        QVERIFY(writeFile(folder + "/pages/p.pkg", "x"));
        QCOMPARE(send("DownloadFile", {{"downloadUrl", "http://h/p.pkg"}, {"relativePath", "pages/"}}),
                 "S:" + folder + "/pages/p.pkg");

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
