// The device functions against the emulator: the bytes each operation sends,
// the text it makes of the answer, and the calls it must not make.
#include <QtTest>

#include "device_functions.h"
#include "device_scenario.h"

namespace {

const QByteArray kMouseProperties = R"({"40":"02","42":"01,05,03,ff,00,0a,02,03,04,00",)"
                                    R"("43":"01,02","44":"00,01","48":"01","5":"00,02,00,03",)"
                                    R"("50":"01,08,00,08","51":"01,10,00,20","61":"01,01,00,00",)"
                                    R"("52":"00,2c,01,68,01,00,00,00","53":"01,40,00,40,00,ff,80,0a"})";

} // namespace

class DeviceFunctionsTest : public QObject
{
    Q_OBJECT

private slots:
    void readsPropertiesAsPrefixedBytes()
    {
        DeviceScenario scenario(plainMouse("1007", kMouseProperties));
        DeviceFunctions functions;
        functions.listDevices();
        QCOMPARE(functions.readProperty("258A1007", 61, 4), QStringLiteral("0x01,0x01,0x00,0x00"));
        QCOMPARE(functions.readProperty("258A1007", 61, 0), QString());
        QCOMPARE(functions.readProperty("258A1007", 61, 2049), QString());
        const QList<QJsonObject> reads = scenario.calls("dcReadProperty");
        QCOMPARE(reads.size(), 2); // the oversized read never reaches the library
        QCOMPARE(reads.at(0).value("id").toInt(), 61);
        QCOMPARE(reads.at(0).value("size").toInt(), 4);
        QCOMPARE(reads.at(1).value("size").toInt(), 0);
    }

    void absentKeysMakeNoCall()
    {
        DeviceScenario scenario(plainMouse("1007", kMouseProperties));
        DeviceFunctions functions;
        functions.listDevices();
        scenario.clearLog();
        QCOMPARE(functions.readProperty("258A9999", 61, 4), QString());
        QVERIFY(!functions.writeProperty("258A9999", 61, QStringLiteral("01"), 1));
        QVERIFY(!functions.resetDevice("258A9999"));
        QVERIFY(!functions.isAddressBlank("258A9999", "0", 4));
        QCOMPARE(functions.readDpi("258A9999", 0), QStringLiteral(R"({"DpiXVal":"0","DpiYVal":"0"})"));
        QVERIFY(scenario.calls().isEmpty());
    }

    void writesCarryTheListedBytes()
    {
        DeviceScenario scenario(plainMouse("1007", kMouseProperties));
        DeviceFunctions functions;
        functions.listDevices();
        scenario.clearLog();
        QVERIFY(functions.writeProperty("258A1007", 61, QStringLiteral("0x01,0x2,1f,0X0A"), 4));
        QVERIFY(!functions.writeProperty("258A1007", 61, QStringLiteral("01,02,03"), 4));
        const unsigned char raw[2] = {0xAB, 0xCD};
        QVERIFY(functions.writeProperty("258A1007", 62, raw, 2));
        QVERIFY(functions.writeAddress("258A1007", "0x1f0", 3, QStringLiteral("aa,bb,cc")));
        QVERIFY(!functions.writeAddress("258A1007", "1f0", 2, QStringLiteral("aa,bb,cc")));
        QVERIFY(functions.writeAddress("258A1007", "20", 2, raw));

        const QList<QJsonObject> props = scenario.calls("dcWriteProperty");
        QCOMPARE(props.size(), 2);
        QCOMPARE(props.at(0).value("data").toString(), QStringLiteral("01,02,1f,0a"));
        QCOMPARE(props.at(1).value("id").toInt(), 62);
        QCOMPARE(props.at(1).value("data").toString(), QStringLiteral("ab,cd"));
        const QList<QJsonObject> addresses = scenario.calls("dcWriteAddress");
        QCOMPARE(addresses.size(), 2);
        QCOMPARE(addresses.at(0).value("address").toString(), QStringLiteral("0x1f0"));
        QCOMPARE(addresses.at(0).value("data").toString(), QStringLiteral("aa,bb,cc"));
        QCOMPARE(addresses.at(1).value("address").toString(), QStringLiteral("0x20"));
        QCOMPARE(addresses.at(1).value("size").toInt(), 2);
    }

    void w1WritesCheckTheirLength()
    {
        DeviceScenario scenario(w1Mouse("25A7FA91", "1011"));
        DeviceFunctions functions;
        functions.listDevices();
        scenario.clearLog();
        QVERIFY(!functions.writeW1Address("25A7FA91", "60", QStringLiteral("01,02,03"), "4", 7));
        QVERIFY(scenario.calls().isEmpty());
        // Twelve items: the length is hexadecimal.
        QVERIFY(functions.writeW1Address("25A7FA91", "0x60", QStringLiteral("1,2,3,4,5,6,7,8,9,a,b,c"), "c", 7));
        const QJsonObject call = scenario.calls("dcW1WriteAddress").value(0);
        QCOMPARE(call.value("address").toString(), QStringLiteral("0x60"));
        QCOMPARE(call.value("length").toInt(), 12);
        QCOMPARE(call.value("mode").toInt(), 7);
        QCOMPARE(call.value("data").toString(), QStringLiteral("01,02,03,04,05,06,07,08,09,0a,0b,0c"));
    }

    void blankChecksReadWhatTheDeviceAnswers()
    {
        DeviceScenario scenario(w1Mouse("25A7FA91", "1011",
                                        R"(,"memory":[{"address":"0x60","data":"00,00,07"}],)"
                                        R"("properties":{"9":"01","10":"00,00,05"})"));
        DeviceFunctions functions;
        functions.listDevices();
        // Address reads: the data follow an 8-byte header.
        QVERIFY(functions.isAddressBlank("25A7FA91", "60", 2));
        QVERIFY(!functions.isAddressBlank("25A7FA91", "60", 3));
        QVERIFY(!functions.isAddressBlank("25A7FA91", "60", 2041)); // header and data past 2048 bytes
        // Property reads carry no header: the first bytes count.
        QVERIFY(!functions.isPropertyBlank("25A7FA91", 9, 200));
        QVERIFY(functions.isPropertyBlank("25A7FA91", 10, 2));
        QVERIFY(!functions.isPropertyBlank("25A7FA91", 10, 3));
        QVERIFY(functions.isPropertyBlank("25A7FA91", 11, 200));
        QCOMPARE(scenario.calls("dcReadProperty").value(0).value("size").toInt(), 200);
    }

    void dpiSlotsAndSummary()
    {
        DeviceScenario scenario(plainMouse("1007", kMouseProperties));
        DeviceFunctions functions;
        functions.listDevices();
        scenario.clearLog();
        QCOMPARE(functions.readDpi("258A1007", 1), QStringLiteral(R"({"DpiXVal":"800","DpiYVal":"1600"})"));
        // Slot 5 names property 5 itself.
        QCOMPARE(functions.readDpi("258A1007", 5), QStringLiteral(R"({"DpiXVal":"100","DpiYVal":"150"})"));
        const QList<QJsonObject> reads = scenario.calls("dcReadProperty");
        QCOMPARE(reads.at(0).value("id").toInt(), 51);
        QCOMPARE(reads.at(1).value("id").toInt(), 5);
        QCOMPARE(reads.at(1).value("size").toInt(), 8);
        // Values past 12750 DPI need the high byte: 0x012C x 50 = 15000.
        QCOMPARE(functions.readDpi("258A1007", 2), QStringLiteral(R"({"DpiXVal":"15000","DpiYVal":"18000"})"));
        // With detail, the stage's mode and colour as the device holds them,
        // black included.
        QCOMPARE(functions.readDpi("258A1007", 2, true),
                 QStringLiteral(R"({"DpiModeVal":"0","DpiRGBVal":"000000","DpiXVal":"15000","DpiYVal":"18000"})"));
        QCOMPARE(functions.readDpi("258A1007", 3, true),
                 QStringLiteral(R"({"DpiModeVal":"1","DpiRGBVal":"FF800A","DpiXVal":"3200","DpiYVal":"3200"})"));

        scenario.clearLog();
        QCOMPARE(functions.readSettingsSummary("258A1007"),
                 QStringLiteral("reporVal:2,curDpi:1,DpiXVal:800,DpiYVal:1600,"
                                "lightVal:1,5,3,ff0a,2,3,4,jittersVal:1,2,soundVal:0,1,"));
        QList<int> ids;
        for (const QJsonObject& call : scenario.calls("dcReadProperty"))
            ids << call.value("id").toInt();
        QCOMPARE(ids, QList<int>({48, 40, 51, 42, 43, 44}));
    }

    void resetAndLightingFrameGoOut()
    {
        DeviceScenario scenario(plainMouse("1007", kMouseProperties));
        DeviceFunctions functions;
        functions.listDevices();
        scenario.clearLog();
        QVERIFY(functions.resetDevice("258A1007"));
        QCOMPARE(scenario.calls("Reset").value(0).value("mode").toInt(), 2);
        unsigned char frame[transport::kLightingFrameSize] = {0x05, 0x02};
        QVERIFY(functions.notifyRgb("258A1007", frame));
        const QJsonObject notify = scenario.calls("dcNotifyRGBDevice").value(0);
        QCOMPARE(notify.value("size").toInt(), 1024);
        QVERIFY(notify.value("data").toString().startsWith("05,02,00,"));
        QVERIFY(!functions.notifyRgb("258A1007", nullptr));
    }

    void keyNamesAreNumberedFromOne()
    {
        DeviceFunctions functions;
        QCOMPARE(functions.keyNames().size(), 104);
        QCOMPARE(functions.keyNames().value(1), QStringLiteral("ESC"));
        QCOMPARE(functions.keyNames().value(2), QStringLiteral("F1"));
        QCOMPARE(functions.keyNames().value(104), QStringLiteral("NUMPERIOD"));
    }
};

QTEST_GUILESS_MAIN(DeviceFunctionsTest)
#include "tst_device_functions.moc"
