// Discovery through the emulator: the device block, the two maps, the
// "GetDevicesList" reply, the report table and the report callback.
#include <QFile>
#include <QMutex>
#include <QtTest>

#include <cstring>

#include "device_block.h"
#include "device_functions.h"
#include "device_maps.h"
#include "device_report_sender.h"
#include "device_scenario.h"

namespace {

class RecordingSender : public DeviceDataSender
{
public:
    void sendDeviceData(const QString& report) override
    {
        QMutexLocker lock(&mutex);
        reports << report;
    }
    QStringList received()
    {
        QMutexLocker lock(&mutex);
        return reports;
    }

private:
    QMutex mutex;
    QStringList reports;
};

QByteArray shippedDevices()
{
    QFile file(QStringLiteral(EMULATOR_SOURCE_DIR "/devices.json"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no shipped device set");
    const QJsonArray devices = QJsonDocument::fromJson(file.readAll()).object().value("devices").toArray();
    QByteArray text = QJsonDocument(devices).toJson(QJsonDocument::Compact);
    return text.mid(1, text.size() - 2);
}

} // namespace

class DeviceDiscoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void classifiesEveryBranchOfTheShippedSet()
    {
        DeviceScenario scenario(shippedDevices());
        DeviceFunctions functions;
        const DeviceMap devices = functions.listDevices();

        // No "&col" (258A1020) and the excluded dongle (258A0016) are absent.
        QCOMPARE(devices.keys(), QStringList({"258A0049", "258A0150", "258A1007", "258A1008", "258A100A",
                                              "25A7FA91"}));
        const QJsonObject w1 = devices.value("25A7FA91");
        QVERIFY(w1.value("DevicePath").toString().contains("&col07#"));
        QCOMPARE(w1.value("ReadDevice").toString(), QStringLiteral("DisableRead"));
        QVERIFY(!w1.contains("ReadDeviceID"));
        QCOMPARE(w1.value("Sn").toString(), QStringLiteral("W10A00000001"));
        QCOMPARE(w1.value("Mask").toString(), QStringLiteral("05"));
        QCOMPARE(w1.value("LastVersionNum").toString(), QStringLiteral("31"));
        QCOMPARE(w1.value("Version").toString(), QStringLiteral("25A7FA91"));
        QVERIFY(w1.value("DeviceId").toString().startsWith("HID\\VID_258A&PID_1011&COL07\\"));

        const DeviceMap readable = DeviceMaps::readable();
        QCOMPARE(readable.keys(), QStringList({"25A7FA91"}));
        QVERIFY(readable.value("25A7FA91").value("DevicePath").toString().contains("&col05#"));
        QCOMPARE(readable.value("25A7FA91").value("ReadDevice").toString(), QStringLiteral("EnableRead"));
        QCOMPARE(readable.value("25A7FA91").value("ReadDeviceID").toString(), QStringLiteral("25A7FA91"));
        QCOMPARE(DeviceMaps::devices(), devices);
    }

    void laterRecordWinsAndMapsAreRebuilt()
    {
        DeviceScenario scenario(plainMouse("1007") + "," + plainMouse("1007"));
        DeviceFunctions functions;
        const DeviceMap devices = functions.listDevices();
        QCOMPARE(devices.size(), 1);
        // The second entry of the file has the instance group 1a2b3c0 + 10f.
        QVERIFY(devices.value("258A1007").value("DevicePath").toString().contains("#7&1a2b4cf&"));

        DeviceScenario empty("");
        QVERIFY(functions.listDevices().isEmpty());
        QVERIFY(DeviceMaps::devices().isEmpty());
    }

    void pathPartsAreCaseSensitiveAndKeepTheLastMatch()
    {
        const auto parts = DeviceDiscovery::pathParts("\\\\?\\hid#vid_258a&pid_1007&col02#7&1&0&0001#{g}");
        QCOMPARE(parts.vendorProduct, QStringLiteral("258A1007"));
        QCOMPARE(parts.collection, QStringLiteral("02"));
        QVERIFY(DeviceDiscovery::pathParts("HID#VID_258A&PID_1007&COL02#x").collection.isEmpty());
        QVERIFY(DeviceDiscovery::pathParts("hid#vid_258a&pid_1007#x").collection.isEmpty());
    }

    void moreThanTenReadableDevicesReadTheFirstTenInKeyOrder()
    {
        QByteArrayList mice;
        for (int i = 12; i >= 1; --i)
            mice << w1Mouse(QByteArray("25A7FA") + QByteArray::number(i, 16).rightJustified(2, '0').toUpper(),
                            QByteArray::number(0x1100 + i, 16));
        DeviceScenario scenario(mice.join(','));
        DeviceFunctions functions;
        QCOMPARE(functions.listDevices().size(), 12);
        QVERIFY(functions.startReading());
        const QJsonObject read = scenario.calls("DeviceData").value(0);
        QCOMPARE(read.value("count").toInt(), 10);
        const QJsonArray ids = read.value("ids").toArray();
        for (int row = 0; row < 10; ++row)
            QCOMPARE(ids.at(row).toDouble(), double(0x25A7FA01 + row));
    }

    void reportsReachTheSenderAsText()
    {
        QCOMPARE(DeviceReports::formatReport(reinterpret_cast<const unsigned char*>("\x05\x1a\x00\xff"), 4),
                 QStringLiteral("5,1a,0,ff"));

        RecordingSender sender;
        DeviceReports::setSender(&sender);
        {
            DeviceScenario scenario(w1Mouse("25A7FA91", "1011",
                                            R"(,"inputReports":[{"delayMs":1,"data":"05,1a,01,00"}])"));
            DeviceFunctions functions;
            functions.listDevices();
            QVERIFY(functions.startReading());
            QTRY_COMPARE(sender.received(), QStringList({"5,1a,1,0"}));
            // Stop reading before the sender goes away.
            DeviceScenario empty("");
            functions.listDevices();
            QVERIFY(functions.startReading());
        }
        DeviceReports::setSender(nullptr);
    }

    void badDeviceBlocksAreCut()
    {
        // A count over 50 reads the 50 records the block has.
        QByteArray block(transport::kDeviceBlockSize, '\0');
        block[0] = '\xff';
        block[1] = '\xff';
        QCOMPARE(DeviceBlock::records(block).size(), transport::kMaxDeviceRecords);

        // Fields without a NUL end at their own end, not in the next field.
        QByteArray record(transport::kDeviceRecordSize, 'A');
        QByteArray shortBlock = QByteArray("\x03\x00", 2) + record;
        const QVector<DeviceBlockRecord> records = DeviceBlock::records(shortBlock);
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.at(0).reportedId, QStringLiteral("AAAAAAAAAAAAAA"));
        QCOMPARE(records.at(0).mask, QStringLiteral("AA"));
        QCOMPARE(records.at(0).path.size(), 255);

        QVERIFY(DeviceBlock::records(QByteArray("\x01", 1)).isEmpty());
    }
};

QTEST_GUILESS_MAIN(DeviceDiscoveryTest)
#include "tst_device_discovery.moc"
