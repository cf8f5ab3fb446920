// orvanta-cli end to end: the program copied into a folder of its own (its
// application folder), the emulator as its transport library and a device
// set of the test's.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

struct Run {
    int exitCode = -1;
    QList<QJsonObject> lines;
    QByteArray stdoutBytes;
};

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QByteArray kDevices = R"({"devices":[
  {"vendorId":"258A","productId":"1007","interfaces":[{"collection":"02"}],
   "properties":{"50":"01,10,00,10,00,00,00,00","61":"01,01,00,00"}},
  {"reportedId":"25A7FA91","vendorId":"258A","productId":"1011",
   "interfaces":[{"collection":"05","usagePage":"0xFFAA"},{"collection":"07"}],
   "inputReports":[{"delayMs":20,"data":"05,1a,01,00"}],"loopInputReports":true}
]})";

} // namespace

class OrvantaCliTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_program;
    QString m_devices;

    Run run(const QStringList& args, const QByteArray& input = QByteArray())
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORVANTA_TRANSPORT", EMULATOR_LIBRARY);
        env.insert("ORVANTA_DEVICES", m_devices);
        // Pointer settings in the test's own file, never on the desktop.
        env.insert("ORVANTA_POINTER_SETTINGS", m_dir.filePath("pointer.json"));
        process.setProcessEnvironment(env);
        process.start(m_program, args);
        if (!process.waitForStarted())
            return Run();
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        Run result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.stdoutBytes = process.readAllStandardOutput();
        for (const QByteArray& line : result.stdoutBytes.split('\n')) {
            if (!line.isEmpty())
                result.lines << QJsonDocument::fromJson(line).object();
        }
        return result;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_program = m_dir.filePath("orvanta-cli");
        QVERIFY(QFile::copy(CLI_BINARY, m_program));
        QVERIFY(QFile::setPermissions(m_program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        m_devices = m_dir.filePath("devices.json");
        QVERIFY(writeFile(m_devices, kDevices));
    }

    void listsDevicesAndReadsThem()
    {
        const Run r = run({R"({"FuncName":"GetDevicesList"})",
                           R"({"FuncName":"ReadDevicesDpiVal","Version":"258A1007","DpiIndex":0})"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.lines.size(), 2);
        QCOMPARE(r.lines.at(0).value("request").toString(), QString(R"({"FuncName":"GetDevicesList"})"));
        QCOMPARE(r.lines.at(0).value("reply").toString(), QString("success"));
        const QJsonArray devices = QJsonDocument::fromJson(r.lines.at(0).value("text").toString().toUtf8()).array();
        QCOMPARE(devices.size(), 2);
        QCOMPARE(devices.at(0).toObject().value("Version").toString(), QString("258A1007"));
        QCOMPARE(r.lines.at(1).value("text").toString(), QString(R"({"DpiXVal":"800","DpiYVal":"800"})"));
    }

    void aDeviceCommandWorksAsTheFirstRequest()
    {
        const Run r = run({R"({"FuncName":"RestDevice","Version":"258A1007"})"});
        QCOMPARE(r.lines.value(0).value("text").toString(), QString("RestDevice success"));
    }

    void readsRequestsFromStandardInput()
    {
        const Run r = run({}, "{\"FuncName\":\"WriteConf\",\"KeyName\":\"Language\",\"WriteData\":\"fr\"}\n\n"
                              "{\"FuncName\":\"ReadConf\",\"KeyName\":\"Language\"}\n"
                              "{\"FuncName\":\"OpenView\",\"Url\":\"a\",\"width\":1,\"height\":1}\n");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.lines.size(), 3);
        QCOMPARE(r.lines.at(1).value("text").toString(), QString("fr"));
        QCOMPARE(r.lines.at(2).value("reply").toString(), QString("failure"));
        QCOMPARE(r.lines.at(2).value("code").toInt(-1), 0);
        QCOMPARE(r.lines.at(2).value("text").toString(), QString("not available without a window"));
        // The application folder is the program's own.
        QVERIFY(QFile::exists(m_dir.filePath("conf.ini")));
    }

    void unreadableInputEndsWithStatusTwo()
    {
        const Run r = run({"{\"FuncName\":", R"({"FuncName":"SetIME"})"});
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.lines.size(), 2);
        QCOMPARE(r.lines.at(0).value("reply").toString(), QString("none"));
        QCOMPARE(r.lines.at(1).value("text").toString(), QString("SetIME success!"));
        // A request the dispatcher drops is processed all the same.
        QCOMPARE(run({R"({"funcname":"SetIME"})"}).exitCode, 0);
    }

    void changesAButtonAndReadsItBack()
    {
        // The page's record of the mouse: its profile, which the write
        // looks the device up by.
        QVERIFY(QDir().mkpath(m_dir.filePath("profiles")));
        const QByteArray profile = "<Configuration><Conf><Key Index=\"2\" Value=\"258A1007\"/></Conf>"
                                   "<Mode Index=\"1\"><Key Index=\"61\" Value=\"LeftClick\"/></Mode></Configuration>";
        QVERIFY(writeFile(m_dir.filePath("profiles/258A1007.xml"), profile));
        QByteArray changed = profile;
        changed.replace("LeftClick", "RightClick");
        const QString modify = QString::fromUtf8(QJsonDocument(QJsonObject{
            {"FuncName", "ModifyFileFromStr"}, {"FilePath", "profiles/258A1007.xml"},
            {"ContentStr", QString::fromUtf8(changed)}}).toJson(QJsonDocument::Compact));
        const QString read = "{\"FuncName\":\"ReadFileToStr\",\"FilePath\":\"profiles/258A1007.xml\","
                             "\"Xpath\":\"//Key[@Index=61]/@Value\"}";

        const Run first = run({read,
                               R"({"FuncName":"WriteDevice","Version":"258A1007","DriverVersion":"M1.0","Index":"61",)"
                               R"("Task":"RightClick","TaskType":"MouseFunction","TaskCount":"1"})",
                               modify});
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(first.lines.size(), 3);
        QCOMPARE(first.lines.at(0).value("text").toString(), QString("LeftClick"));
        QCOMPARE(first.lines.at(1).value("text").toString(), QString("writeDevices success!"));
        QCOMPARE(first.lines.at(2).value("text").toString(), QString("ModifyFileFromStr success"));

        // The emulated mouse kept the new button in its device set.
        QFile devices(m_devices);
        QVERIFY(devices.open(QIODevice::ReadOnly));
        const QJsonObject mouse = QJsonDocument::fromJson(devices.readAll()).object().value("devices").toArray().at(0).toObject();
        QCOMPARE(mouse.value("properties").toObject().value("61").toString(), QString("01,02,00,00"));

        const Run second = run({read});
        QCOMPARE(second.lines.value(0).value("text").toString(), QString("RightClick"));
    }

    void pointerSettingsReadBackInTheNextRun()
    {
        const Run set = run({R"({"FuncName":"modifyMouseDoubleClick","Num":3})",
                             R"({"FuncName":"modifyMouseAcce","Num":2})",
                             R"({"FuncName":"ModifyMouseScrollLines","Num":65535})",
                             R"({"FuncName":"modifyMouseDoubleClick","Num":12})",
                             R"({"FuncName":"modifyMouseAccel","Num":0})"});
        QCOMPARE(set.lines.size(), 5);
        QCOMPARE(set.lines.at(0).value("text").toString(), QString("modifyMouseDoubleClick success"));
        QCOMPARE(set.lines.at(1).value("text").toString(), QString("modifyMouseAccel success"));
        QCOMPARE(set.lines.at(3).value("text").toString(), QString("modifyMouseDoubleClick failed"));

        const Run read = run({R"({"FuncName":"GetDevicesList"})",
                              R"({"FuncName":"GetWindowsMouseConfig","Version":"258A1007"})"});
        QVERIFY(read.lines.value(1).value("text").toString().endsWith(
            ",defaultMouseAccel:8,defaultScrollLinesX:3,defaultMouseSpeed:5,defaultMouseDoubleClick:5,"
            "defaultScrollLinesY:65535"));
    }

    void waitCollectsInputReports()
    {
        const Run r = run({"--wait", "300", R"({"FuncName":"GetDevicesList"})"});
        QCOMPARE(r.exitCode, 0);
        int reports = 0;
        for (const QJsonObject& line : r.lines) {
            if (line.value("event").toString() == QLatin1String("onDeviceData")) {
                QCOMPARE(line.value("args").toArray(), QJsonArray({"5,1a,1,0"}));
                ++reports;
            }
        }
        QVERIFY2(reports > 0, r.stdoutBytes.constData());
        QCOMPARE(r.lines.first().value("reply").toString(), QString("success"));
    }

    void answersAndEventsComeWhileStandardInputStaysOpen()
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORVANTA_TRANSPORT", EMULATOR_LIBRARY);
        env.insert("ORVANTA_DEVICES", m_devices);
        env.insert("ORVANTA_POINTER_SETTINGS", m_dir.filePath("pointer.json"));
        process.setProcessEnvironment(env);
        process.start(m_program, QStringList());
        QVERIFY(process.waitForStarted());

        // Reads lines until one matches, with standard input still open.
        QByteArray seen;
        const auto awaitLine = [&](const std::function<bool(const QJsonObject&)>& wanted) {
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < 20000) {
                while (process.canReadLine()) {
                    const QByteArray line = process.readLine();
                    seen += line;
                    if (wanted(QJsonDocument::fromJson(line).object()))
                        return true;
                }
                process.waitForReadyRead(200);
            }
            return false;
        };
        process.write("{\"FuncName\":\"GetDevicesList\"}\n");
        QVERIFY2(awaitLine([](const QJsonObject& o) { return o.value("reply") == "success"; }), seen.constData());
        QVERIFY2(awaitLine([](const QJsonObject& o) { return o.value("event") == "onDeviceData"; }), seen.constData());
        process.write("{\"FuncName\":\"SetIME\"}\n");
        QVERIFY2(awaitLine([](const QJsonObject& o) { return o.value("text") == "SetIME success!"; }), seen.constData());

        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 0);
    }

    void allViewsShowsTheMusicDataOfTheShippedTrack()
    {
        QVERIFY(QFile::copy(SHIPPED_TRACK, m_dir.filePath("ttd.mp3")));
        const QString play = R"({"FuncName":"RGBMusicPlay"})";
        // No lighting view is open in a shell: the data is dropped...
        const Run dropped = run({"--wait", "200", play});
        QCOMPARE(dropped.lines.size(), 1);
        QCOMPARE(dropped.lines.at(0).value("text").toString(), QString("RGBMusicPlay success"));

        // ...unless every view counts as open.
        const Run shown = run({"--all-views", "--wait", "400", play});
        QCOMPARE(shown.exitCode, 0);
        QCOMPARE(shown.lines.at(0).value("text").toString(), QString("RGBMusicPlay success"));
        int sounding = 0;
        for (const QJsonObject& line : shown.lines.mid(1)) {
            QCOMPARE(line.value("event").toString(), QString("OnRGBMusicData"));
            QCOMPARE(line.value("view").toString(), QString("http://pages.orvanta.test/local/rx318/lighting.html"));
            const QJsonArray data = QJsonDocument::fromJson(line.value("args").toArray().at(0).toString().toUtf8())
                                        .object().value("data").toArray();
            QCOMPARE(data.size(), 257);
            int loudest = 0;
            for (const QJsonValue& value : data)
                loudest = qMax(loudest, value.toInt());
            sounding += loudest > 60 ? 1 : 0;
        }
        // 50 a second; the machine may be slow, the music is not silent.
        QVERIFY2(shown.lines.size() > 5, shown.stdoutBytes.constData());
        QVERIFY(sounding > 0);
        QFile::remove(m_dir.filePath("ttd.mp3"));
    }
};

QTEST_GUILESS_MAIN(OrvantaCliTest)
#include "tst_orvanta_cli.moc"
