// The pointer commands as the pages send them, through the dispatcher, with
// the settings kept in the test host's settings file; and the summary of
// "GetWindowsMouseConfig" as a whole, device fields from the emulator.
#include <QtTest>

#include "command_dispatcher.h"
#include "device_scenario.h"
#include "logging.h"
#include "recording_host.h"

namespace {

const QByteArray kMouseProperties = R"({"40":"02","42":"01,05,03,ff,00,0a,02,03,04,00",)"
                                    R"("43":"01,02","44":"00,01","48":"01","51":"01,10,00,20"})";
const QString kDeviceFields = "reporVal:2,curDpi:1,DpiXVal:800,DpiYVal:1600,lightVal:1,5,3,ff0a,2,3,4,"
                              "jittersVal:1,2,soundVal:0,1,";

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A host without pointer settings.
class NoPointerHost : public RecordingHost
{
public:
    NoPointerHost() : RecordingHost(false) { pointerSettings = nullptr; }
};

} // namespace

class PointerCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void repliesOfTheFiveCommands_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("replyName");
        QTest::addColumn<int>("good");
        QTest::addColumn<int>("bad");
        QTest::newRow("acceleration") << "modifyMouseAcce" << "modifyMouseAccel" << 3 << 4;
        QTest::newRow("speed") << "ModifyWindowAcceleratedSpeed" << "ModifyWindowAcceleratedSpeed" << 11 << 12;
        QTest::newRow("lines") << "ModifyMouseScrollLines" << "ModifyMouseScrollLines" << 65535 << -2;
        QTest::newRow("characters") << "modifyMouseScrollLinesX" << "modifyMouseScrollLinesX" << 0 << -1;
        QTest::newRow("double-click") << "modifyMouseDoubleClick" << "modifyMouseDoubleClick" << 0 << 12;
    }

    void repliesOfTheFiveCommands()
    {
        QFETCH(QString, name);
        QFETCH(QString, replyName);
        QFETCH(int, good);
        QFETCH(int, bad);
        RecordingHost host(false);
        CommandDispatcher dispatcher(host);
        const QString request = QString(R"({"FuncName":"%1","Num":%2})").arg(name);

        QCOMPARE(send(dispatcher, QString(R"({"FuncName":"%1","num":1})").arg(name)).kind, Answer::None);
        QVERIFY(!QFile::exists(host.path("pointer.json")));

        const Answer bad1 = send(dispatcher, request.arg(bad));
        QCOMPARE(bad1.kind, Answer::Failure);
        QCOMPARE(bad1.code, 0);
        QCOMPARE(bad1.text, replyName + " failed");
        QVERIFY(!QFile::exists(host.path("pointer.json")));

        const Answer good1 = send(dispatcher, request.arg(good));
        QCOMPARE(good1.kind, Answer::Success);
        QCOMPARE(good1.text, replyName + " success");
        // "Num" given as text serves as well.
        QCOMPARE(send(dispatcher, request.arg(QString("\"%1\"").arg(good))).text, replyName + " success");

        NoPointerHost none;
        CommandDispatcher without(none);
        QCOMPARE(send(without, request.arg(good)).text, replyName + " failed");
    }

    void whatIsSetReadsBackInTheSummary()
    {
        DeviceScenario scenario(plainMouse("1007", kMouseProperties));
        RecordingHost host(false);
        CommandDispatcher dispatcher(host);
        send(dispatcher, R"({"FuncName":"GetDevicesList"})");
        const QString summary = R"({"FuncName":"GetWindowsMouseConfig","Version":"258A1007"})";
        QCOMPARE(send(dispatcher, summary).text,
                 kDeviceFields + "defaultMouseAccel:0,defaultScrollLinesX:3,defaultMouseSpeed:5,"
                                 "defaultMouseDoubleClick:5,defaultScrollLinesY:3");

        const QString log = host.path("app.log");
        Logger::setFilePath(log);
        // 760 ms is no entry of the reading table; acceleration level 2 is
        // reading preset 8.
        send(dispatcher, R"({"FuncName":"modifyMouseDoubleClick","Num":3})");
        send(dispatcher, R"({"FuncName":"modifyMouseAcce","Num":2})");
        send(dispatcher, R"({"FuncName":"ModifyWindowAcceleratedSpeed","Num":4})");
        send(dispatcher, R"({"FuncName":"ModifyMouseScrollLines","Num":65535})");
        send(dispatcher, R"({"FuncName":"modifyMouseScrollLinesX","Num":7})");
        const QString expected = kDeviceFields + "defaultMouseAccel:8,defaultScrollLinesX:7,defaultMouseSpeed:3,"
                                                 "defaultMouseDoubleClick:5,defaultScrollLinesY:65535";
        QCOMPARE(send(dispatcher, summary).text, expected);
        QVERIFY(fileBytes(host.path("pointer.json")).contains("\"doubleClickTime\": 760"));
        QVERIFY(fileBytes(log).contains(expected.toUtf8()));
        Logger::setFilePath(QString());

        // The keyboard-capture command of nearly the same name changes no
        // pointer setting.
        const QByteArray before = fileBytes(host.path("pointer.json"));
        send(dispatcher, R"({"FuncName":"modifyMouseAccel","Num":0})");
        QCOMPARE(fileBytes(host.path("pointer.json")), before);
        QCOMPARE(send(dispatcher, summary).text, expected);

        // Without pointer settings the summary reports the fallbacks.
        NoPointerHost none;
        CommandDispatcher without(none);
        send(without, R"({"FuncName":"GetDevicesList"})");
        QVERIFY(send(without, summary).text.endsWith("defaultMouseAccel:0,defaultScrollLinesX:3,defaultMouseSpeed:5,"
                                                     "defaultMouseDoubleClick:5,defaultScrollLinesY:3"));
    }
};

QTEST_GUILESS_MAIN(PointerCommandsTest)
#include "tst_pointer_commands.moc"
