// The page session the window and orvanta-cli share, on the emulator: every
// event it raises (commands, updates, input reports, device notices) leaves
// through its sink with the audience of the one addressing table; it is
// the input reports' receiver only while it lives; and its commands reach
// the window only through the port it was given.
#include <QtTest>

#include "client_profile_settings.h"
#include "command_context.h"
#include "device_report_sender.h"
#include "device_scenario.h"
#include "page_events.h"
#include "page_session.h"
#include "recording_host.h"

namespace {

struct Delivered {
    EventAudience audience;
    int delayMs;
    QString view;
    QString name;
    QVariantList args;
};

class RecordingSink : public PageEventSink
{
public:
    void deliver(const EventRoute& route, const QString& view, const QString& name, const QVariantList& args) override
    {
        QMutexLocker lock(&mutex);
        events.append({route.audience, route.delayMs, view, name, args});
    }
    QList<Delivered> taken()
    {
        QMutexLocker lock(&mutex);
        return std::exchange(events, {});
    }

    QMutex mutex;
    QList<Delivered> events;
};

// Hands a report to the transport's callback as the reader thread does.
void report(std::initializer_list<unsigned char> bytes)
{
    std::vector<unsigned char> data(bytes);
    DeviceReports::callback()(data.data(), static_cast<unsigned int>(data.size()));
}

} // namespace

class PageSessionTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    ClientProfileSettings m_settings;

    PageSessionSetup setup(PageEventSink* sink, WindowPort* window = nullptr)
    {
        PageSessionSetup s;
        s.applicationFolder = m_dir.path();
        s.settings = &m_settings;
        s.events = sink;
        s.window = window;
        s.pointer = std::make_unique<PointerSettings>(
            nullptr, std::make_unique<PointerSettingsFile>(m_dir.filePath("pointer.json")));
        return s;
    }

private slots:
    void addressingTable()
    {
        QCOMPARE(eventRoute("devicesChanged").audience, EventAudience::MainView);
        QCOMPARE(eventRoute("devicesChanged").delayMs, 500);
        QCOMPARE(eventRoute("onDeviceData").audience, EventAudience::EveryView);
        QCOMPARE(eventRoute("onUpdateFirmware").audience, EventAudience::CurrentView);
        QCOMPARE(eventRoute("OnRGBMusicData").audience, EventAudience::NamedView);
        QCOMPARE(eventRoute("onBrowserMsg").audience, EventAudience::NamedView);
        // Names are matched exactly: another spelling is an event of its own.
        QCOMPARE(eventRoute("ondevicedata").audience, EventAudience::NamedViewElseMain);
        QCOMPARE(eventRoute("").delayMs, 0);
    }

    void everySourceLeavesThroughTheSink()
    {
        DeviceScenario scenario(plainMouse("1007"));
        RecordingSink sink;
        PageSession session(setup(&sink));
        QCOMPARE(session.start(), 1);

        // A command's event, with the view it names.
        session.dispatcher().table().add(200, "Tell", [](CommandContext& c) {
            c.services().raise("onBrowserMsg", {c.text("Text")}, c.text("View"));
            c.succeed("told");
        });
        session.onJsMessage(R"({"FuncName":"Tell","Text":"hi","View":"lights"})", nullptr);
        // The update service's, with every argument it carries.
        emit session.updates().pageEvent("onUpdateFirmware", {"updatefailed", "This package is for A, not B", "A", "B"});
        // Device notices: arrivals and removals only.
        session.devicesChanged(3);
        session.devicesChanged(2);
        session.devicesChanged(1);
        // An input report from another thread.
        QThread* reader = QThread::create([] { report({0x05, 0x1a}); });
        reader->start();
        QVERIFY(reader->wait(5000));
        delete reader;

        const QList<Delivered> events = sink.taken();
        QCOMPARE(events.size(), 5);
        QCOMPARE(events[0].name, QString("onBrowserMsg"));
        QCOMPARE(events[0].view, QString("lights"));
        QCOMPARE(events[0].audience, EventAudience::NamedView);
        QCOMPARE(events[0].args, QVariantList({"hi"}));
        QCOMPARE(events[1].audience, EventAudience::CurrentView);
        QCOMPARE(events[1].args.size(), 4);
        QCOMPARE(events[1].args.at(1).toString(), QString("This package is for A, not B"));
        for (int i : {2, 3}) {
            QCOMPARE(events[i].name, QString("devicesChanged"));
            QCOMPARE(events[i].audience, EventAudience::MainView);
            QCOMPARE(events[i].delayMs, 500);
        }
        QCOMPARE(events[4].name, QString("onDeviceData"));
        QCOMPARE(events[4].audience, EventAudience::EveryView);
        QCOMPARE(events[4].args, QVariantList({"5,1a"}));
    }

    void receivesReportsOnlyWhileItLives()
    {
        DeviceScenario scenario(plainMouse("1007"));
        RecordingSink sink;
        {
            PageSession session(setup(&sink));
            report({0x01}); // not started: not yet the receiver
            session.start();
            report({0x02});
        }
        report({0x03}); // gone: dropped, not handed to a destroyed session
        QList<Delivered> events = sink.taken();
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].args, QVariantList({"2"}));

        // A session that goes leaves a receiver installed after it alone.
        struct Other : DeviceDataSender {
            QStringList got;
            void sendDeviceData(const QString& text) override { got << text; }
        } later;
        {
            PageSession session(setup(&sink));
            session.start();
            DeviceReports::setSender(&later);
        }
        report({0x04});
        QCOMPARE(later.got, QStringList({"4"}));
        DeviceReports::setSender(nullptr);
    }

    void windowCommandsNeedThePort()
    {
        DeviceScenario scenario(plainMouse("1007"));
        RecordingSink sink;
        Answer without;
        {
            PageSession session(setup(&sink));
            session.onJsMessage(R"({"FuncName":"goback"})", recordInto(without));
        }
        QCOMPARE(without.kind, Answer::Failure);
        QCOMPARE(without.text, noWindowText());

        RecordingHost window;
        Answer with;
        PageSession session(setup(&sink, &window));
        session.onJsMessage(R"({"FuncName":"goback"})", recordInto(with));
        QCOMPARE(window.calls, QStringList({"goBack"}));
    }

    // A preset's DPI stage is the one active-stage byte of the family's
    // definition, written as the pages write it; nothing else.
    void aPresetsStageIsTheOneActiveStageByte()
    {
        DeviceScenario scenario(w1Mouse("25A7FA91", "1011"));
        RecordingSink sink;
        PageSession session(setup(&sink));
        QCOMPARE(session.start(), 1);
        PresetStageWriter writer(session.devices().writer());
        QVERIFY(writer.writeActiveStage(PresetStage{"25A7FA91", "W1.0", 2}));
        // The W1 family keeps each value with its check byte beside it.
        const QList<QJsonObject> writes = scenario.calls("dcW1WriteAddress");
        QCOMPARE(writes.size(), 2);
        QCOMPARE(writes[0].value("address").toString() + "=" + writes[0].value("data").toString(), QString("0x4=02"));
        QCOMPARE(writes[1].value("address").toString() + "=" + writes[1].value("data").toString(), QString("0x5=53"));
        // A definition without the row, or none at all: nothing is written.
        QVERIFY(!writer.writeActiveStage(PresetStage{"25A7FA91", "K1.0", 2}));
        QVERIFY(!writer.writeActiveStage(PresetStage{"25A7FA91", "Z9.9", 2}));
        QCOMPARE(scenario.calls("dcW1WriteAddress").size(), 2);
    }
};

QTEST_GUILESS_MAIN(PageSessionTest)
#include "tst_page_session.moc"
