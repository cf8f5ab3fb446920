// Faults injected through the emulator's device set, run through
// orvanta-cli: a failed write, a device that is unplugged after a write, a
// boot-loader step that fails while firmware is flashed. While a fault is
// active every request it touches answers failure (or, for a flash, the
// event "updatefailed"), never success; the program does not crash; the
// device set stays valid JSON; once the fault is cleared from the file, the
// same request succeeds.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "firmware_image.h"
#include "package_writer.h"
#include "test_signing.h"

namespace {

// (Not a raw string: moc misreads escaped quotes inside one.)
const char kProfile[] = "{\"FuncName\":\"ModifyFileFromStr\",\"FilePath\":\"m.xml\",\"ContentStr\":"
                        "\"<Configuration><Conf><Key Index=\\\"2\\\" Value=\\\"258A1007\\\"/></Conf></Configuration>\"}";
const char kWrite[] =
    R"({"FuncName":"WriteDevice","Version":"258A1007","DriverVersion":"M1.0","Index":"61","Task":"RightClick","TaskType":"MouseFunction","TaskCount":"1"})";
const char kFlash[] =
    R"({"FuncName":"ExecuteUpdate--","FilePath":"fw.bin","UpdateState":"1","DeviceVersion":"11","DeviceId":"258A1007"})";
// The image reaches the folder as the pages put it there: a signed package
// unpacked by the program.
const char kUnpack[] = R"({"FuncName":"UnPackFile","FileName":"fw.pkg","UnPath":""})";

} // namespace

class FaultInjectionTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_program;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    void setDevice(const QJsonObject& faults)
    {
        QJsonObject mouse{{"vendorId", "258A"}, {"productId", "1007"}, {"firmwareVersion", "11"},
                          {"interfaces", QJsonArray{QJsonObject{{"collection", "02"}}}}};
        if (!faults.isEmpty())
            mouse.insert("faults", faults);
        QFile file(path("devices.json"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(QJsonObject{{"devices", QJsonArray{mouse}}}).toJson());
    }

    // The device as the last run saved it; fails the test unless the file
    // is a JSON object.
    QJsonObject savedDevice()
    {
        QFile file(path("devices.json"));
        file.open(QIODevice::ReadOnly);
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
        if (!document.isObject())
            qWarning("devices.json is not valid JSON: %s", qPrintable(error.errorString()));
        return document.object().value("devices").toArray().at(0).toObject();
    }

    // Takes the fault out of the saved device, keeping its state.
    void clearFault()
    {
        QJsonObject device = savedDevice();
        QVERIFY(!device.isEmpty());
        device.remove("faults");
        device.insert("present", true);
        QFile file(path("devices.json"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(QJsonObject{{"devices", QJsonArray{device}}}).toJson());
    }

    // Runs the requests; the replies ("success …", "failure …") and the
    // firmware events, in order.
    QStringList run(const QStringList& requests)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORVANTA_TRANSPORT", EMULATOR_LIBRARY);
        env.insert("ORVANTA_DEVICES", path("devices.json"));
        env.insert("ORVANTA_FIRMWARE_WAIT_SCALE", "0");
        process.setProcessEnvironment(env);
        process.start(m_program, requests);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return {QStringLiteral("orvanta-cli did not end normally")};
        QStringList seen;
        for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
            const QJsonObject object = QJsonDocument::fromJson(line).object();
            if (object.contains("reply"))
                seen << (object.value("reply").toString() + ' ' + object.value("text").toString()).trimmed();
            else if (object.value("event") == "onUpdateFirmware")
                seen << object.value("args").toArray().at(0).toString();
        }
        return seen;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(!TestSigning::trustTestKey().isEmpty());
        m_program = path("orvanta-cli");
        QVERIFY(QFile::copy(CLI_BINARY, m_program));
        QVERIFY(QFile::setPermissions(m_program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    void failedAndUnpluggedWrites()
    {
        const QString written = "success writeDevices success!";
        const QString refused = "failure writeDevices failed!";
        setDevice({{"failWrite", 1}});
        QCOMPARE(run({kProfile, kWrite}), (QStringList{"success ModifyFileFromStr success", refused}));
        QVERIFY(!savedDevice().value("properties").toObject().contains("61"));
        clearFault();
        QCOMPARE(run({kProfile, kWrite}), (QStringList{"success ModifyFileFromStr success", written}));
        QCOMPARE(savedDevice().value("properties").toObject().value("61").toString(), QStringLiteral("01,02,00,00"));

        // The write that unplugs the device is taken; nothing after it is.
        setDevice({{"unplugAfterWrites", 1}});
        QCOMPARE(run({kProfile, kWrite, kWrite}), (QStringList{"success ModifyFileFromStr success", written, refused}));
        QCOMPARE(savedDevice().value("present").toBool(true), false);
        clearFault();
        QCOMPARE(run({kProfile, kWrite}), (QStringList{"success ModifyFileFromStr success", written}));
    }

    void failedBootLoaderSteps_data()
    {
        QTest::addColumn<QString>("step");
        for (const char* step : {"Reset", "EraseRom", "WriteRom", "CheckRom", "FinishUpdateRom"})
            QTest::newRow(step) << QString(step);
    }

    void failedBootLoaderSteps()
    {
        QFETCH(QString, step);
        QByteArray package;
        QVERIFY(buildPackage("1.0", {{"fw.bin", FirmwareImage::build(QByteArray(4500, 'r'), "258A1007")}}, &package));
        package = TestSigning::signedPackage(package);
        auto placeImage = [&]() {
            QFile file(path("fw.pkg"));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(package) == package.size());
        };
        setDevice({{"failBootStep", step}});
        placeImage();
        const QStringList failed = run({kUnpack, kFlash});
        QCOMPARE(failed.first(), QStringLiteral("success success!"));
        QCOMPARE(failed.at(1), QStringLiteral("StartUpdate"));
        QCOMPARE(failed.last(), QStringLiteral("updatefailed"));
        QVERIFY(!failed.contains("updated"));
        QVERIFY(!savedDevice().isEmpty());

        clearFault();
        placeImage();
        if (savedDevice().value("bootLoader").toBool()) {
            // Left in its boot loader by another run of the program: a
            // boot loader says nothing of whose it is, so this run does not
            // flash it.
            QCOMPARE(run({kUnpack, kFlash}).last(), QStringLiteral("updatefailed"));
            QVERIFY(savedDevice().value("bootLoader").toBool());
            QCOMPARE(savedDevice().value("firmwareVersion").toString(), QStringLiteral("11"));
            // The device as it is once it has been brought back by hand.
            setDevice({});
            placeImage();
        }
        QCOMPARE(run({kUnpack, kFlash}).last(), QStringLiteral("updated"));
        QCOMPARE(savedDevice().value("firmwareVersion").toString(), QStringLiteral("72"));  // 'r'
        QCOMPARE(savedDevice().value("bootLoader").toBool(true), false);
    }
};

QTEST_GUILESS_MAIN(FaultInjectionTest)
#include "tst_fault_injection.moc"
