// The reply texts of the device commands: "GetDevicesList", "RestDevice",
// "GetVirtualDevice", the "WriteRGBDevice" data unwrapping and
// "GetWindowsMouseConfig".
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include "device_commands.h"
#include "device_functions.h"
#include "device_scenario.h"

class DeviceCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void getDevicesListRepliesInKeyOrderAndReadsTheReportInterface()
    {
        DeviceScenario scenario(plainMouse("1008") + "," + w1Mouse("25A7FA91", "1011"));
        DeviceFunctions functions;
        DeviceMap windowCopy;
        const std::optional<QString> reply = DeviceCommands::getDevicesList(functions, &windowCopy);
        QVERIFY(reply.has_value());
        const QJsonArray records = QJsonDocument::fromJson(reply->toUtf8()).array();
        QCOMPARE(records.size(), 2);
        QCOMPARE(records.at(0).toObject().value("Version").toString(), QStringLiteral("258A1008"));
        QCOMPARE(records.at(1).toObject().value("Version").toString(), QStringLiteral("25A7FA91"));
        QCOMPARE(records.at(1).toObject().value("ReadDevice").toString(), QStringLiteral("DisableRead"));
        QVERIFY(!reply->contains(" "));
        QCOMPARE(windowCopy.keys(), QStringList({"258A1008", "25A7FA91"}));

        const QList<QJsonObject> reads = scenario.calls("DeviceData");
        QCOMPARE(reads.size(), 1);
        QCOMPARE(reads.at(0).value("count").toInt(), 1);
        QVERIFY(reads.at(0).value("paths").toArray().at(0).toString().contains("&col05#"));
        QCOMPARE(reads.at(0).value("ids").toArray().at(0).toDouble(), double(0x25A7FA91));
        QCOMPARE(reads.at(0).value("result").toInt(), 1);
    }

    void getDevicesListWithoutDevicesGivesNoReplyAndStopsReading()
    {
        DeviceScenario scenario(QByteArray(R"({"vendorId":"258A","productId":"0016",)")
                                + R"("interfaces":[{"collection":"01"}]})");
        DeviceFunctions functions;
        QVERIFY(!DeviceCommands::getDevicesList(functions, nullptr).has_value());
        const QList<QJsonObject> reads = scenario.calls("DeviceData");
        QCOMPARE(reads.size(), 1);
        QCOMPARE(reads.at(0).value("count").toInt(), 0);
    }

    void restDeviceResetsByFamily()
    {
        DeviceScenario scenario(plainMouse("1007", R"({"61":"01"})") + "," + w1Mouse("25A7FA91", "1011"));
        DeviceFunctions functions;
        functions.listDevices();
        scenario.clearLog();

        const DeviceCommands::Reply w1 = DeviceCommands::restDevice(functions, "25A7FA91");
        QVERIFY(w1.success);
        QCOMPARE(w1.text, QStringLiteral("RestDevice success"));
        const QJsonObject write = scenario.calls("dcW1WriteAddress").value(0);
        QCOMPARE(write.value("address").toString(), QStringLiteral("0x0"));
        QCOMPARE(write.value("length").toInt(), 1);
        QCOMPARE(write.value("mode").toInt(), 9);
        QCOMPARE(write.value("data").toString(), QStringLiteral("00"));

        QVERIFY(DeviceCommands::restDevice(functions, "258A1007").success);
        QCOMPARE(scenario.calls("Reset").value(0).value("mode").toInt(), 2);
        QCOMPARE(scenario.calls().size(), 2);

        const DeviceCommands::Reply absent = DeviceCommands::restDevice(functions, "258A0000");
        QVERIFY(!absent.success);
        QCOMPARE(absent.text, QStringLiteral("RestDevice failed"));
    }

    void restDeviceReportsADeviceRefusal()
    {
        DeviceScenario scenario(w1Mouse("25A7FA91", "1011", R"(,"faults":{"failWrite":1})"));
        DeviceFunctions functions;
        functions.listDevices();
        QCOMPARE(DeviceCommands::restDevice(functions, "25A7FA91").text, QStringLiteral("RestDevice failed"));
    }

    // The whole shipped list of virtual keys, as the source tree has it.
    void virtualDeviceIsTheShippedList()
    {
        QFile shipped(qEnvironmentVariable("ORVANTA_SOURCE_DIR") + "/resources/drive/Virtual.xml");
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        const QString text = DeviceCommands::getVirtualDevice();
        QVERIFY(text.startsWith("<"));
        QCOMPARE(text, QString::fromUtf8(shipped.readAll()));
    }

    void lightingDataIsUnwrapped()
    {
        const QString data = QStringLiteral(R"(["ESC#ff0000","A\\\\B#00ff00","F1#0000ff"])");
        const QString unwrapped = DeviceCommands::unwrapLightingData(data);
        QCOMPARE(unwrapped, QStringLiteral(R"(ESC#ff0000","A\\B#00ff00","F1#0000ff)"));
        QCOMPARE(DeviceCommands::lightingItems(unwrapped),
                 QStringList({"ESC#ff0000", R"(A\\B#00ff00)", "F1#0000ff"}));
        QCOMPARE(DeviceCommands::unwrapLightingData("[]"), QString());
        QVERIFY(DeviceCommands::lightingItems(QString()).isEmpty());
    }

    void mouseConfigAppendsThePointerPart()
    {
        DeviceScenario scenario(plainMouse("1007", R"({"40":"01","48":"00","50":"01,10,00,10"})"));
        DeviceFunctions functions;
        functions.listDevices();
        QCOMPARE(DeviceCommands::getWindowsMouseConfig(functions, "258A1007", "accVal:1,"),
                 QStringLiteral("reporVal:1,curDpi:0,DpiXVal:800,DpiYVal:800,lightVal:0,0,0,000,0,0,0,"
                                "jittersVal:0,0,soundVal:0,0,accVal:1,"));
        QCOMPARE(DeviceCommands::readDevicesDpiVal(functions, "258A1007", 0),
                 QStringLiteral(R"({"DpiXVal":"800","DpiYVal":"800"})"));
    }
};

QTEST_GUILESS_MAIN(DeviceCommandsTest)
#include "tst_device_commands.moc"
