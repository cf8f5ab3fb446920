// The device half of the page commands: "RestDevice", "GetVirtualDevice",
// the "WriteRGBDevice" data unwrapping and "GetWindowsMouseConfig".
#include <QFile>
#include <QtTest>

#include "device_commands.h"
#include "device_functions.h"
#include "device_scenario.h"

class DeviceCommandsTest : public QObject
{
    Q_OBJECT

private slots:
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

    void virtualDeviceIsTheResourceText()
    {
        QFile file(":/drive/Virtual");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = DeviceCommands::getVirtualDevice();
        QVERIFY(!text.isEmpty());
        QCOMPARE(text, QString::fromUtf8(file.readAll()));
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
