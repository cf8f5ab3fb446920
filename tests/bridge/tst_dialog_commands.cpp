#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "command_dispatcher.h"
#include "recording_host.h"

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

// File dialogs and the saved command file.
class DialogCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void fileDialogs()
    {
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        const QString documents = QDir::homePath() + "/Documents";

        host.nextFileName = QString("/home/u/a.pfd");
        QCOMPARE(send(dispatcher, R"({"FuncName":"saveFileDialog"})").text, QString("/home/u/a.pfd"));
        QCOMPARE(send(dispatcher, R"({"FuncName":"OpenFileDialog"})").text, QString("/home/u/a.pfd"));
        QCOMPARE(send(dispatcher, R"({"FuncName":"openFileDialogEx"})").text, QString("/home/u/a.pfd"));
        QCOMPARE(host.calls, QStringList({"save 保存为|" + documents + "|pfd文件(*.pfd)",
                                          "open 打开|" + documents + "|*", "open 打开||"}));

        host.nextFileName.reset();
        for (const char* name : {"saveFileDialog", "OpenFileDialog"}) {
            const Answer cancelled = send(dispatcher, QString(R"({"FuncName":"%1"})").arg(name));
            QCOMPARE(cancelled.kind, Answer::Failure);
            QCOMPARE(cancelled.text, QString("doesn't select file"));
        }
        QCOMPARE(send(dispatcher, R"({"FuncName":"openFileDialogEx"})").kind, Answer::None);
        QCOMPARE(send(dispatcher, R"({"FuncName":"LoadCommand"})").kind, Answer::None);
        QCOMPARE(send(dispatcher, R"({"FuncName":"SaveCommand","CommandString":"x"})").kind, Answer::None);
    }

    void savedCommandFileRoundTrip()
    {
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        const QString file = host.path("macro.pfd");
        const QString text = QString::fromUtf8("[{\"Key\":\"A\",\"Delay\":20}] é中");
        host.nextFileName = file;

        const QJsonObject save{{"FuncName", "SaveCommand"}, {"CommandString", text}};
        QCOMPARE(send(dispatcher, QJsonDocument(save).toJson()).text, QString("SaveCommand Success!"));

        const QByteArray base64 = text.toUtf8().toBase64();
        QByteArray expected = QByteArray::fromHex("0a0b0c0d");
        QDataStream(&expected, QIODevice::Append) << quint32(base64.size());
        QCOMPARE(readAll(file), expected + base64);

        QCOMPARE(send(dispatcher, R"({"FuncName":"LoadCommand"})").text, text);
        QVERIFY(host.calls.last().startsWith("open OpenFileDialog|"));
    }

    void damagedCommandFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("wrong magic") << QByteArray::fromHex("0d0c0b0a00000004") + "YWJj";
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("magic only") << QByteArray::fromHex("0a0b0c0d");
        QTest::newRow("array cut short") << QByteArray::fromHex("0a0b0c0d00000010") + "YWJj";
    }
    void damagedCommandFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        QVERIFY(writeFile(host.path("bad.pfd"), bytes));
        host.nextFileName = host.path("bad.pfd");
        const Answer answer = send(dispatcher, R"({"FuncName":"LoadCommand"})");
        QCOMPARE(answer.kind, Answer::Failure);
        QCOMPARE(answer.text, QString("LoadCommand file failed!"));
    }

    void anUnwritableFileFailsTheSave()
    {
        QTemporaryDir outside;
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        // A link as the chosen name, dangling or not, is not written
        // through; nor is one of the program's own files overwritten.
        QVERIFY(writeFile(outside.filePath("kept.pfd"), "kept"));
        QVERIFY(QFile::link(outside.filePath("kept.pfd"), host.path("link.pfd")));
        QVERIFY(QFile::link(outside.filePath("new.pfd"), host.path("dangling.pfd")));
        QVERIFY(writeFile(host.path("Updater"), "program"));
        for (const char* name : {"no/such/folder/x.pfd", "link.pfd", "dangling.pfd", "Updater"}) {
            host.nextFileName = host.path(name);
            QCOMPARE(send(dispatcher, R"({"FuncName":"SaveCommand","CommandString":"x"})").text,
                     QString("SaveCommand is failed!"));
        }
        QCOMPARE(readAll(outside.filePath("kept.pfd")), QByteArray("kept"));
        QVERIFY(!QFileInfo::exists(outside.filePath("new.pfd")));
        QCOMPARE(readAll(host.path("Updater")), QByteArray("program"));
    }
};

QTEST_GUILESS_MAIN(DialogCommandsTest)
#include "tst_dialog_commands.moc"
