// Software remapping end to end through orvanta-cli: a scripted right
// button and the report log, and the capture commands without a window.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString K0 = QStringLiteral("40,09,07,00,00,00,00,00,00,00,00");
const QString M0 = QStringLiteral("40,05,04,00,00,00,00,00,00,00,00");

// The right button plays Back (mouse button 8) with play type 0.
const QString kVirtualStr = QStringLiteral(
    R"(<map><key name="right" flag="10" scancode="4" type="MouseFunction" playtype="0" playcount="1" playdelay="0" playauxiliary="0"><task value="Back"/></key></map>)");

QByteArray request(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

class RemapCliTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QList<QJsonObject> run(const QList<QByteArray>& requests, const QStringList& options,
                           const QProcessEnvironment& env)
    {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(CLI_BINARY, options);
        if (!process.waitForStarted())
            return {};
        for (const QByteArray& line : requests)
            process.write(line + '\n');
        process.closeWriteChannel();
        process.waitForFinished(60000);
        QList<QJsonObject> replies;
        for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty())
                replies << QJsonDocument::fromJson(line).object();
        }
        return replies;
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORVANTA_TRANSPORT", EMULATOR_LIBRARY);
        env.remove("ORVANTA_INPUT_SCRIPT");
        env.remove("ORVANTA_VIRTUAL_HID_LOG");
        return env;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void scriptedRightButtonPlaysBack()
    {
        const QString script = m_dir.filePath("strokes.json");
        const QString log = m_dir.filePath("hid.log");
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"([{"at": 0, "state": 4}, {"at": 150, "state": 8}, {"at": 160, "state": 1}])");
        file.close();

        QProcessEnvironment env = environment();
        env.insert("ORVANTA_INPUT_SCRIPT", script);
        env.insert("ORVANTA_VIRTUAL_HID_LOG", log);
        const QList<QJsonObject> replies =
            run({request({{"FuncName", "RefreshVirtualDrive"}, {"VirtualStr", kVirtualStr}})}, {"--wait", "600"}, env);
        QCOMPARE(replies.size(), 1);
        QCOMPARE(replies[0].value("text").toString(), QString("RefreshVirtualDrive success!"));

        QFile reports(log);
        QVERIFY(reports.open(QIODevice::ReadOnly));
        QStringList sequence;
        for (const QByteArray& line : reports.readAll().split('\n')) {
            if (!line.isEmpty())
                sequence << QJsonDocument::fromJson(line).object().value("report").toString();
        }
        // Press: button 4 (back) down, the task's end; release: the button
        // up, the task's end; quitting: everything up.
        QCOMPARE(sequence, QStringList({"40,05,04,08,00,00,00,00,00,00,00", K0, M0, K0, K0, M0}));
    }

    void captureCommandsWithoutAWindow()
    {
        const QList<QJsonObject> replies = run(
            {request({{"FuncName", "mouseTracks"}, {"status", "开始"}}),
             request({{"FuncName", "modifyMouseAccel"}}),
             request({{"FuncName", "mouseTracks"}, {"status", "停止"}}),
             request({{"FuncName", "mouseTracks"}, {"status", "start"}}),
             request({{"FuncName", "GetWindowsKeyboreadConfig"}}),
             request({{"FuncName", "RefreshVirtualDrive"}, {"VirtualStr", kVirtualStr}}),
             request({{"FuncName", "RefreshVirtualDrive"}, {"VirtualStr", ""}})},
            {}, environment());
        QCOMPARE(replies.size(), 7);
        const auto answer = [&](int i) {
            return replies[i].value("reply").toString() + " " + replies[i].value("text").toString();
        };
        QCOMPARE(answer(0), QString("success mouseTracks success"));
        QCOMPARE(answer(1), QString("none "));
        QCOMPARE(answer(2), QString("success "));
        QCOMPARE(answer(3), QString("none "));
        QCOMPARE(answer(4), QString("success "));
        // Without a script there is no filter in orvanta-cli.
        QCOMPARE(answer(5), QString("failure RefreshVirtualDrive failed!"));
        QCOMPARE(answer(6), QString("none "));
    }
};

QTEST_GUILESS_MAIN(RemapCliTest)
#include "tst_remap_cli.moc"
