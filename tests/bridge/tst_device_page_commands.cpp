// The device commands as the pages send them, through the dispatcher into
// the emulator library.
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include "command_dispatcher.h"
#include "device_access.h"
#include "device_scenario.h"
#include "recording_host.h"

namespace {

const QByteArray kProfile = "<Configuration><Conf><Key Index=\"2\" Value=\"258A1007\"/></Conf>"
                            "<Mode Index=\"1\"><Key Index=\"61\" Value=\"LeftClick\"/></Mode></Configuration>";

QString lighting(const QString& driverVersion, const QString& data)
{
    const QJsonObject request{{"FuncName", "WriteRGBDevice"}, {"Version", "258A0049"},
                              {"DriverVersion", driverVersion}, {"Data", data}};
    return QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact));
}

} // namespace

class DevicePageCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void noDeviceMeansNoDevicesListReply()
    {
        DeviceScenario scenario("");
        RecordingHost host(false);
        CommandDispatcher dispatcher(host);
        host.devices.insert("stale", QJsonObject());
        QCOMPARE(send(dispatcher, R"({"FuncName":"GetDevicesList"})").kind, Answer::None);
        QVERIFY(host.devices.isEmpty());
    }

    void devicesListInKeyOrder()
    {
        DeviceScenario scenario(plainMouse("1008") + "," + w1Mouse("25A7FA91", "1011") + "," + plainMouse("1007"));
        RecordingHost host(false);
        CommandDispatcher dispatcher(host);
        const Answer answer = send(dispatcher, R"({"FuncName":"GetDevicesList"})");
        QCOMPARE(answer.kind, Answer::Success);
        const QJsonArray list = QJsonDocument::fromJson(answer.text.toUtf8()).array();
        QStringList keys;
        for (const QJsonValue& record : list)
            keys << record.toObject().value("Version").toString();
        QCOMPARE(keys, QStringList({"258A1007", "258A1008", "25A7FA91"}));
        QCOMPARE(host.devices.keys(), keys);
        // The report interface of the W1 mouse is read, not listed.
        QVERIFY(!scenario.calls("DeviceData").isEmpty());
    }

    void resetAndDpi()
    {
        DeviceScenario scenario(plainMouse("1007", R"({"50":"01,10,00,10,00,00,00,00","5":"01,02,00,04,00,00,00,00"})"));
        RecordingHost host(false);
        CommandDispatcher dispatcher(host);
        send(dispatcher, R"({"FuncName":"GetDevicesList"})");

        QCOMPARE(send(dispatcher, R"({"FuncName":"RestDevice","Version":"258A1007"})").text,
                 QString("RestDevice success"));
        const Answer absent = send(dispatcher, R"({"FuncName":"RestDevice","Version":"258A9999"})");
        QCOMPARE(absent.kind, Answer::Failure);
        QCOMPARE(absent.code, 0);
        QCOMPARE(absent.text, QString("RestDevice failed"));

        QCOMPARE(send(dispatcher, R"({"FuncName":"ReadDevicesDpiVal","Version":"258A1007","DpiIndex":0})").text,
                 QString(R"({"DpiXVal":"800","DpiYVal":"800"})"));
        // A slot given as text; slot 5 reads property 5.
        QCOMPARE(send(dispatcher, R"({"FuncName":"ReadDevicesDpiVal","Version":"258A1007","DpiIndex":"5"})").text,
                 QString(R"({"DpiXVal":"100","DpiYVal":"200"})"));
        QVERIFY(send(dispatcher, R"({"FuncName":"GetWindowsMouseConfig","Version":"258A1007"})")
                    .text.startsWith("reporVal:"));
        QVERIFY(send(dispatcher, R"({"FuncName":"GetVirtualDevice"})").text.contains("<"));
    }

    void deviceAccessSaysWhetherTheDevicesAreADemo()
    {
        DeviceScenario scenario("");
        RecordingHost host(false);
        host.deviceAccess = []() { return DeviceAccess{}; };
        CommandDispatcher dispatcher(host);
        for (const bool demo : {false, true}) {
            host.installation.demoDevices = demo;
            const QJsonObject reply = QJsonDocument::fromJson(
                send(dispatcher, R"({"FuncName":"GetDeviceAccess"})").text.toUtf8()).object();
            QCOMPARE(reply.value("Demo").toBool(true), demo);
            QVERIFY(reply.contains("Uinput"));
        }
    }

    void dpiStagesInOneRequest()
    {
        DeviceScenario scenario(plainMouse(
            "1007", R"({"48":"02","50":"01,10,00,10,00,ff,00,00","51":"00,20,00,10,00,00,00,00","5":"01,02,00,04,00,00,00,00"})"));
        RecordingHost host(false);
        CommandDispatcher dispatcher(host);
        send(dispatcher, R"({"FuncName":"GetDevicesList"})");
        scenario.clearLog();

        const Answer answer =
            send(dispatcher, R"({"FuncName":"ReadDevicesDpiStages","Version":"258A1007","DpiIndexes":"0, 1,5"})");
        QCOMPARE(answer.kind, Answer::Success);
        const QJsonObject reply = QJsonDocument::fromJson(answer.text.toUtf8()).object();
        QCOMPARE(reply.value("Current").toString(), QString("2"));
        const QJsonArray stages = reply.value("Stages").toArray();
        QCOMPARE(stages.size(), 3);
        QCOMPARE(stages.at(0).toObject().value("DpiXVal").toString(), QString("800"));
        QCOMPARE(stages.at(0).toObject().value("DpiRGBVal").toString(), QString("FF0000"));
        QCOMPARE(stages.at(1).toObject().value("DpiXVal").toString(), QString("1600"));
        QCOMPARE(stages.at(1).toObject().value("DpiModeVal").toString(), QString("0"));
        QCOMPARE(stages.at(2).toObject().value("DpiYVal").toString(), QString("200"));
        // The current stage and each stage's property, once each.
        QList<int> ids;
        for (const QJsonObject& call : scenario.calls("dcReadProperty"))
            ids << call.value("id").toInt();
        QCOMPARE(ids, QList<int>({48, 50, 51, 5}));

        // A list that cannot be read reads nothing.
        scenario.clearLog();
        for (const char* indexes : {"", " ", "1,x", "1,,2", "256", "-1", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"}) {
            const QJsonObject request{{"FuncName", "ReadDevicesDpiStages"}, {"Version", "258A1007"},
                                      {"DpiIndexes", QString::fromLatin1(indexes)}};
            const Answer refused = send(dispatcher, QString::fromUtf8(QJsonDocument(request).toJson()));
            QCOMPARE(refused.kind, Answer::Failure);
            QCOMPARE(refused.text, QString("ReadDevicesDpiStages failed"));
        }
        QVERIFY(scenario.calls("dcReadProperty").isEmpty());
        // Nor does a device that is not connected.
        QCOMPARE(send(dispatcher, R"({"FuncName":"ReadDevicesDpiStages","Version":"258A9999","DpiIndexes":"0"})").kind,
                 Answer::Failure);
    }

    void lightingRepliesWithTheUnwrappedData()
    {
        DeviceScenario scenario(plainMouse("0049"));
        RecordingHost host(false);
        host.handler.registerDefaultDrivers();
        CommandDispatcher dispatcher(host);
        send(dispatcher, R"({"FuncName":"GetDevicesList"})");
        scenario.clearLog();

        const Answer answer = send(dispatcher, lighting("K1.0", "[\"ESC#ff0000\",\"F1#00ff00\"]"));
        QCOMPARE(answer.text, QString("ESC#ff0000\",\"F1#00ff00"));
        const QList<QJsonObject> frames = scenario.calls("dcNotifyRGBDevice");
        QCOMPARE(frames.size(), 1);
        QVERIFY(frames.first().value("data").toString().startsWith("05,02,bb,aa,07,00,f8,01,ff,00,00"));

        // An unknown Driver definition sends nothing; the page still gets
        // its data back.
        scenario.clearLog();
        const Answer unknown = send(dispatcher, lighting("K9.0", "[\"ESC#ff0000\"]"));
        QCOMPARE(unknown.text, QString("ESC#ff0000"));
        QVERIFY(scenario.calls("dcNotifyRGBDevice").isEmpty());
    }

    void writeDeviceNeedsTheDeviceProfile()
    {
        DeviceScenario scenario(plainMouse("1007", R"({"61":"01,01,00,00"})"));
        RecordingHost host(false);
        host.handler.registerDefaultDrivers();
        CommandDispatcher dispatcher(host);
        send(dispatcher, R"({"FuncName":"GetDevicesList"})");
        const QString write = R"({"FuncName":"WriteDevice","Version":"258A1007","DriverVersion":"M1.0",)"
                              R"("Index":"61","Task":"RightClick","TaskType":"MouseFunction","TaskCount":1,)"
                              R"("TaskDelay":"0","TaskManner":"0","TaskRGB":"","TaskLight":"","TaskJitters":"","TaskVoices":""})";

        // No profile of the device among the files read: nothing is written.
        const Answer noProfile = send(dispatcher, write);
        QCOMPARE(noProfile.kind, Answer::Failure);
        QCOMPARE(noProfile.code, 0);
        QCOMPARE(noProfile.text, QString("writeDevices failed!"));
        QVERIFY(scenario.calls("dcWriteProperty").isEmpty());

        QFile file(host.path("258A1007.xml"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(kProfile) == kProfile.size());
        file.close();
        const QString read = "{\"FuncName\":\"ReadFileToStr\",\"FilePath\":\"258A1007.xml\","
                             "\"Xpath\":\"//Key[@Index=61]/@Value\"}";
        QCOMPARE(send(dispatcher, read).text, QString("LeftClick"));
        QCOMPARE(send(dispatcher, write).text, QString("writeDevices success!"));
        const QList<QJsonObject> writes = scenario.calls("dcWriteProperty");
        QCOMPARE(writes.size(), 1);
        QCOMPARE(writes.first().value("id").toInt(), 61);
        QCOMPARE(writes.first().value("data").toString(), QString("01,02,00,00"));

        // A Driver definition that does not exist.
        QString k4 = write;
        k4.replace("M1.0", "K4.0");
        QCOMPARE(send(dispatcher, k4).text, QString("writeDevices failed!"));
        QCOMPARE(scenario.calls("dcWriteProperty").size(), 1);
    }
};

QTEST_GUILESS_MAIN(DevicePageCommandsTest)
#include "tst_device_page_commands.moc"
