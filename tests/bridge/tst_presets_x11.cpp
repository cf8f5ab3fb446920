// The presets following the window in front on an X server (run under
// xvfb-run): a page session as the program builds it, with the X11 focus
// source, a stroke script for the mouse and the report log for the virtual
// device. The test plays the window manager: two throwaway X clients with
// the classes "Firefox" and "XTerm", made active in turn through the root
// window's _NET_ACTIVE_WINDOW. The right button then plays what the preset
// of the window in front gives it.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <xcb/xcb.h>

#include <cstdlib>

#include "client_profile_settings.h"
#include "device_scenario.h"
#include "focus_source_choice.h"
#include "page_events.h"
#include "page_session.h"
#include "pointer_settings_file.h"
#include "query_callback.h"

namespace {

class RecordingSink : public PageEventSink
{
public:
    void deliver(const EventRoute&, const QString&, const QString& name, const QVariantList& args) override
    {
        QMutexLocker lock(&mutex);
        if (name == QLatin1String("onPresetChanged"))
            presetEvents << QJsonDocument::fromJson(args.value(0).toString().toUtf8()).object();
    }
    QJsonObject lastPreset()
    {
        QMutexLocker lock(&mutex);
        return presetEvents.isEmpty() ? QJsonObject() : presetEvents.last();
    }
    QMutex mutex;
    QList<QJsonObject> presetEvents;
};

// The text of a request's answer ("" when it failed).
QString ask(PageSession& session, const QString& request)
{
    QString reply;
    session.onJsMessage(request, makeQueryCallback([&](const QString& text) { reply = text; }, [](int, const QString&) {}));
    return reply;
}

QString mapWith(const QString& key)
{
    return QStringLiteral("<map><key name=\"右键\" scancode=\"4\" flag=\"10\" type=\"Keyboard\" playtype=\"0\" "
                          "playcount=\"1\" playdelay=\"0\" playauxiliary=\"0\"><task value=\"%1\"/></key></map>")
        .arg(key);
}

// The window manager's part: which window is active, and the client list.
class WindowManager
{
public:
    WindowManager()
    {
        m_c = xcb_connect(nullptr, nullptr);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    }
    ~WindowManager() { xcb_disconnect(m_c); }
    bool ok() const { return !xcb_connection_has_error(m_c); }
    void setWindows(const char* name, const QVector<uint32_t>& windows, xcb_atom_t type = XCB_ATOM_WINDOW)
    {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_root, atom(name), type, 32, uint32_t(windows.size()),
                            windows.constData());
        xcb_flush(m_c);
    }
    void activate(uint32_t window) { setWindows("_NET_ACTIVE_WINDOW", {window}); }

private:
    xcb_atom_t atom(const char* name)
    {
        auto* reply = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(qstrlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    }
    xcb_connection_t* m_c;
    xcb_window_t m_root;
};

// A throwaway client; its window id, or 0.
uint32_t startWindow(QProcess& process, const QString& instance, const QString& windowClass, const QString& title)
{
    process.start(QStringLiteral(THROWAWAY_WINDOW), {instance, windowClass, title});
    if (!process.waitForStarted() || !process.waitForReadyRead(10000))
        return 0;
    return process.readLine().trimmed().toUInt();
}

void stopWindow(QProcess& process)
{
    process.closeWriteChannel();
    if (!process.waitForFinished(5000))
        process.kill();
}

// The key code of every keyboard report that presses a key, in order.
QStringList pressedKeys(const QString& log)
{
    QFile file(log);
    QStringList keys;
    if (!file.open(QIODevice::ReadOnly))
        return keys;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QStringList bytes = QJsonDocument::fromJson(line).object().value("report").toString().split(',');
        if (bytes.size() > 5 && bytes[0] == "40" && bytes[2] == "07" && bytes[5] != "00")
            keys << bytes[5];
    }
    return keys;
}

} // namespace

class PresetsX11Test : public QObject
{
    Q_OBJECT

private slots:
    void firefoxGetsItsPresetAndTheOtherWindowTheDefault()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server (run under xvfb-run)");
        WindowManager wm;
        QVERIFY(wm.ok());
        QTemporaryDir dir;
        const QString log = dir.filePath("hid.log");
        const QString script = dir.filePath("strokes.json");
        {
            // The right button pressed twice: once while Firefox is in
            // front, once while the terminal is.
            QFile file(script);
            QVERIFY(file.open(QIODevice::WriteOnly));
            // Wide apart, so that a loaded machine still switches (300 ms
            // after a change) well before the next press.
            file.write(R"([{"at": 3000, "state": 4}, {"at": 3050, "state": 8},
                           {"at": 7000, "state": 4}, {"at": 7050, "state": 8}])");
        }
        qputenv("ORVANTA_INPUT_SCRIPT", script.toLocal8Bit());
        qputenv("ORVANTA_VIRTUAL_HID_LOG", log.toLocal8Bit());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("ORVANTA_FOCUS_SOURCE");
        environment.insert("XDG_SESSION_TYPE", "x11");

        DeviceScenario scenario(plainMouse("1007"));
        ClientProfileSettings settings;
        RecordingSink sink;
        PageSessionSetup setup;
        setup.applicationFolder = dir.path();
        setup.settings = &settings;
        setup.events = &sink;
        setup.pointer = std::make_unique<PointerSettings>(
            nullptr, std::make_unique<PointerSettingsFile>(dir.filePath("pointer.json")));
        setup.automation = InputAutomationSetup::headless();
        setup.focusSource = focusSourceFor(environment);
        setup.followFocus = true;
        PageSession session(std::move(setup));

        // The pages' presets: the right button types "b" by default and
        // "a" in Firefox.
        const QJsonObject presets{
            {"default", "Default"},
            {"presets", QJsonArray{QJsonObject{{"name", "Default"}, {"map", mapWith("B")}},
                                   QJsonObject{{"name", "Web"}, {"map", mapWith("A")}}}},
            {"rules", QJsonArray{QJsonObject{{"app", "firefox"}, {"preset", "Web"}}}}};
        {
            // Written before the start, as a user who set them up last time.
            PresetStore store(dir.path());
            QString why;
            std::optional<PresetSet> set = PresetSet::fromPageJson(QJsonDocument(presets).toJson(), &why);
            QVERIFY2(set && store.save(*set, &why), qPrintable(why));
        }

        QProcess firefox;
        QProcess terminal;
        const uint32_t firefoxWindow = startWindow(firefox, "Navigator", "Firefox", "Mozilla Firefox");
        const uint32_t terminalWindow = startWindow(terminal, "xterm", "XTerm", "user@host: ~");
        QVERIFY(firefoxWindow && terminalWindow);
        wm.setWindows("_NET_CLIENT_LIST", {firefoxWindow, terminalWindow});

        // The stroke script's clock starts here, with the first map.
        session.start();
        QCOMPARE(session.presets().activePreset(), QString("Default"));
        QCOMPARE(session.presets().source()->name(), QString("x11"));

        const QJsonObject windows =
            QJsonDocument::fromJson(ask(session, R"({"FuncName":"GetFocusWindows"})").toUtf8()).object();
        QCOMPARE(windows.value("classes").toArray(), QJsonArray({"Firefox", "XTerm"}));

        wm.activate(firefoxWindow);
        QTRY_COMPARE_WITH_TIMEOUT(session.presets().activePreset(), QString("Web"), 2500);
        QCOMPARE(sink.lastPreset().value("preset").toString(), QString("Web"));
        QCOMPARE(sink.lastPreset().value("app").toString(), QString("Firefox"));
        QCOMPARE(sink.lastPreset().value("cause").toString(), QString("rule"));
        QTRY_COMPARE_WITH_TIMEOUT(pressedKeys(log), QStringList{"04"}, 8000);

        wm.activate(terminalWindow);
        QTRY_COMPARE_WITH_TIMEOUT(session.presets().activePreset(), QString("Default"), 3000);
        QCOMPARE(sink.lastPreset().value("cause").toString(), QString("no-rule"));
        QTRY_COMPARE_WITH_TIMEOUT(pressedKeys(log), (QStringList{"04", "05"}), 8000);

        // Firefox closing and nothing in front: the desktop.
        stopWindow(firefox);
        wm.activate(0);
        QTRY_COMPARE(sink.lastPreset().value("cause").toString(), QString("desktop"));
        stopWindow(terminal);
    }
};

QTEST_MAIN(PresetsX11Test)
#include "tst_presets_x11.moc"
