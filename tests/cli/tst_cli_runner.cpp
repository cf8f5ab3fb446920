// The runner behind orvanta-cli: one line per request and per event, and
// how it waits for a command that answers later.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QtTest>

#include "cli_runner.h"
#include "client_profile_settings.h"
#include "command_context.h"
#include "command_dispatcher.h"
#include "headless_host.h"

namespace {

QJsonObject parse(const QByteArray& line)
{
    return QJsonDocument::fromJson(line).object();
}

} // namespace

class CliRunnerTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    ClientProfileSettings m_settings;
    QList<QByteArray> m_lines;
    std::unique_ptr<HeadlessHost> m_host;
    std::unique_ptr<CommandDispatcher> m_dispatcher;
    std::unique_ptr<CliRunner> m_runner;

private slots:
    void init()
    {
        m_lines.clear();
        m_host = std::make_unique<HeadlessHost>(
            m_dir.path(), m_settings,
            [this](const QString& name, const QVariantList& args, const QString&) { m_runner->writeEvent(name, args); });
        CommandTable table = defaultCommandTable();
        // Commands that keep their answer handle, as downloads do.
        table.add(100, "AnswerLater", [](CommandContext& c) {
            QueryCallbackPtr kept = c.callback();
            CommandHost* host = &c.host();
            QTimer::singleShot(30, [kept, host] {
                host->sendPageEvent("onProgress", {50, true}, QString());
                kept->success("done");
            });
        });
        table.add(101, "DropLater", [](CommandContext& c) {
            QueryCallbackPtr kept = c.callback();
            QTimer::singleShot(30, [kept]() mutable { kept.reset(); });
        });
        table.add(102, "NeverAnswer", [](CommandContext& c) {
            QueryCallbackPtr kept = c.callback();
            QTimer::singleShot(400, [kept] { kept->failure(0, "too late"); });
        });
        m_dispatcher = std::make_unique<CommandDispatcher>(*m_host, table);
        m_runner = std::make_unique<CliRunner>(*m_dispatcher, [this](const QByteArray& line) { m_lines << line; });
    }

    void repliesAreOneLineEach()
    {
        QVERIFY(m_runner->run(R"({"FuncName":"GetLocalConf"})"));
        QVERIFY(m_runner->run(R"({"FuncName":"ReadConf","KeyName":"x"})"));
        QVERIFY(m_runner->run(R"({"FuncName":"savexml"})"));
        QVERIFY(m_runner->run(R"({"FuncName":"goback"})"));
        QVERIFY(!m_runner->run("{FuncName:"));
        const QList<QByteArray> expected = {
            "{\"request\":\"{\\\"FuncName\\\":\\\"GetLocalConf\\\"}\",\"reply\":\"success\",\"text\":\"\"}",
            "{\"request\":\"{\\\"FuncName\\\":\\\"ReadConf\\\",\\\"KeyName\\\":\\\"x\\\"}\",\"reply\":\"failure\",\"code\":0,\"text\":\"File Or KeyName does not exist\"}",
            "{\"request\":\"{\\\"FuncName\\\":\\\"savexml\\\"}\",\"reply\":\"none\"}",
            "{\"request\":\"{\\\"FuncName\\\":\\\"goback\\\"}\",\"reply\":\"failure\",\"code\":0,\"text\":\"not available without a window\"}",
            "{\"request\":\"{FuncName:\",\"reply\":\"none\",\"error\":\"not a JSON object\"}",
        };
        QCOMPARE(m_lines, expected);
    }

    void aLaterAnswerIsWaitedFor()
    {
        m_runner->setAnswerTimeout(5000);
        QVERIFY(m_runner->run(R"({"FuncName":"AnswerLater"})"));
        QCOMPARE(m_lines.size(), 2);
        QCOMPARE(parse(m_lines.at(0)).value("event").toString(), QString("onProgress"));
        QCOMPARE(parse(m_lines.at(0)).value("args").toArray(), QJsonArray({50, true}));
        QCOMPARE(parse(m_lines.at(1)).value("text").toString(), QString("done"));

        QVERIFY(m_runner->run(R"({"FuncName":"DropLater"})"));
        QCOMPARE(parse(m_lines.at(2)).value("reply").toString(), QString("none"));
    }

    void anAnswerPastTheTimeoutIsDropped()
    {
        m_runner->setAnswerTimeout(50);
        QVERIFY(m_runner->run(R"({"FuncName":"NeverAnswer"})"));
        QCOMPARE(m_lines.size(), 1);
        QCOMPARE(parse(m_lines.at(0)).value("reply").toString(), QString("none"));
        m_runner->wait(600);
        QCOMPARE(m_lines.size(), 1);
    }
};

QTEST_GUILESS_MAIN(CliRunnerTest)
#include "tst_cli_runner.moc"
