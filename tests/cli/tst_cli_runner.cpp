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
#include "event_printer.h"
#include "page_session.h"

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
    std::unique_ptr<EventPrinter> m_printer;
    std::unique_ptr<PageSession> m_session;
    std::unique_ptr<CliRunner> m_runner;

private slots:
    void init()
    {
        m_lines.clear();
        m_runner.reset();
        m_session.reset();
        m_printer = std::make_unique<EventPrinter>(
            [this](const QString& name, const QVariantList& args, const QString&) { m_runner->writeEvent(name, args); },
            false);
        PageSessionSetup setup;
        setup.applicationFolder = m_dir.path();
        setup.settings = &m_settings;
        setup.events = m_printer.get();
        m_session = std::make_unique<PageSession>(std::move(setup));
        CommandTable& table = m_session->dispatcher().table();
        // Commands that keep their answer handle, as downloads do.
        table.add(100, "AnswerLater", [](CommandContext& c) {
            QueryCallbackPtr kept = c.callback();
            PageServices* services = &c.services();
            QTimer::singleShot(30, [kept, services] {
                services->raise("onProgress", {50, true});
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
        m_runner = std::make_unique<CliRunner>(m_session->dispatcher(), [this](const QByteArray& line) { m_lines << line; });
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

    // Without views, an event for a named view is printed only when asked
    // for; one from another thread is printed in the printer's thread, and
    // a delayed one after its delay.
    void thePrinterPrintsWhatAViewWouldSee()
    {
        QStringList printed;
        QList<QThread*> threads;
        const auto write = [&](const QString& name, const QVariantList& args, const QString& view) {
            printed << name + "|" + args.value(0).toString() + "|" + view;
            threads << QThread::currentThread();
        };
        EventPrinter quiet(write, false);
        raisePageEvent(quiet, "OnRGBMusicData", {"1,2"}, "lights");
        raisePageEvent(quiet, "RefreshDownState", {5}, "updates");
        raisePageEvent(quiet, "RefreshDownState", {6});
        raisePageEvent(quiet, "onUpdateFirmware", {"updating"});
        QCOMPARE(printed, QStringList({"RefreshDownState|6|", "onUpdateFirmware|updating|"}));

        printed.clear();
        EventPrinter all(write, true);
        raisePageEvent(all, "OnRGBMusicData", {"1,2"}, "lights");
        QCOMPARE(printed, QStringList({"OnRGBMusicData|1,2|lights"}));

        printed.clear();
        threads.clear();
        QThread* reader = QThread::create([&all] { raisePageEvent(all, "onDeviceData", {"5,1a"}); });
        reader->start();
        QVERIFY(reader->wait(5000));
        delete reader;
        QVERIFY(printed.isEmpty());
        QTRY_COMPARE(printed, QStringList({"onDeviceData|5,1a|"}));
        QCOMPARE(threads, QList<QThread*>({QThread::currentThread()}));

        printed.clear();
        QElapsedTimer clock;
        clock.start();
        raisePageEvent(all, "devicesChanged", {});
        QVERIFY(printed.isEmpty());
        QTRY_COMPARE(printed.size(), 1);
        QVERIFY(clock.elapsed() >= 450);
    }
};

QTEST_GUILESS_MAIN(CliRunnerTest)
#include "tst_cli_runner.moc"
