// The focus sources of the desktop shells, on a private session bus
// (dbus-daemon --session): the shells' call with a fake caller, the KWin
// script loaded into a fake KWin (the names of KWin 6 and of KWin 5), and
// what the pages are told while nothing has called yet.
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "dbus_focus_source.h"
#include "focus_source_choice.h"
#include "kwin_focus_script.h"

namespace {

// KWin's scripting object as far as the program uses it.
class FakeScripting : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.kwin.Scripting")
public:
    QString loadedPath;
    QString loadedName;
    QByteArray loadedText;
    QStringList unloaded;
    int id = 7;

public slots:
    Q_SCRIPTABLE int loadScript(const QString& path, const QString& name)
    {
        loadedPath = path;
        loadedName = name;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            loadedText = file.readAll();
        return id;
    }
    Q_SCRIPTABLE bool unloadScript(const QString& name)
    {
        unloaded << name;
        return true;
    }
};

class FakeScript : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.kwin.Script")
public:
    int runs = 0;

public slots:
    Q_SCRIPTABLE void run() { ++runs; }
};

// A fake KWin on a thread of its own (the program's calls to KWin block),
// gone again with its name when the test case ends.
struct FakeKWin {
    FakeKWin(const QDBusConnection& bus, const QString& scriptPath)
        : bus(bus)
        , scriptPath(scriptPath)
    {
        scripting.moveToThread(&thread);
        script.moveToThread(&thread);
        thread.start();
        registered = this->bus.registerObject("/Scripting", &scripting, QDBusConnection::ExportScriptableSlots)
                     && this->bus.registerObject(scriptPath, &script, QDBusConnection::ExportScriptableSlots)
                     && this->bus.registerService("org.kde.KWin");
    }
    ~FakeKWin()
    {
        bus.unregisterService("org.kde.KWin");
        bus.unregisterObject(scriptPath);
        bus.unregisterObject("/Scripting");
        thread.quit();
        thread.wait();
    }
    QDBusConnection bus;
    QString scriptPath;
    QThread thread;
    FakeScripting scripting;
    FakeScript script;
    bool registered = false;
};

} // namespace

class FocusDBusTest : public QObject
{
    Q_OBJECT

    QProcess m_daemon;
    QString m_address;
    int m_connections = 0;

    QDBusConnection connection()
    {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("c%1").arg(++m_connections));
    }

    // What a shell sends, from a connection of its own.
    QDBusMessage call(const QVariantList& args)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(DBusFocusSource::serviceName(), DBusFocusSource::objectPath(),
                                                              DBusFocusSource::interfaceName(), "WindowActivated");
        message.setArguments(args);
        // The source answers in this thread: wait with the event loop running.
        return connection().call(message, QDBus::BlockWithGui, 5000);
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<FocusedWindow>();
        m_daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!m_daemon.waitForStarted())
            QSKIP("dbus-daemon is not installed");
        QVERIFY(m_daemon.waitForReadyRead(10000));
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
        QVERIFY(!m_address.isEmpty());
    }

    void cleanupTestCase()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    void aShellCallTellsTheWindowInFront()
    {
        DBusFocusSource source(DBusFocusSource::Shell::Gnome, connection());
        QSignalSpy reason(&source, &FocusSource::reasonChanged);
        QVERIFY(source.start());
        QCOMPARE(source.name(), QString("gnome"));
        QVERIFY(source.reason().contains("Turn on the Orvanta extension"));
        QSignalSpy windows(&source, &FocusSource::windowActivated);

        QCOMPARE(call({"firefox", "Mozilla Firefox", "1234"}).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(windows.count(), 1);
        const FocusedWindow first = windows[0][0].value<FocusedWindow>();
        QCOMPARE(first.app, QString("firefox"));
        QCOMPARE(first.title, QString("Mozilla Firefox"));
        QCOMPARE(first.pid, qint64(1234));
        QVERIFY(source.reason().isEmpty());

        // What a caller says is cut to size; a pid that is no number is none.
        call({QString(5000, 'x'), QString(100000, 't'), "12ab"});
        call({"", "", ""});
        call({"kate", "notes.txt", "99999999999999999999"});
        QTRY_COMPARE(windows.count(), 4);
        const FocusedWindow huge = windows[1][0].value<FocusedWindow>();
        QCOMPARE(huge.app.size(), FocusedWindow::kMaxApp);
        QCOMPARE(huge.title.size(), FocusedWindow::kMaxTitle);
        QCOMPARE(huge.pid, qint64(0));
        QVERIFY(windows[2][0].value<FocusedWindow>().isDesktop());
        QCOMPARE(windows[3][0].value<FocusedWindow>().pid, qint64(0));
        // Other argument types are no call of this method.
        QCOMPARE(call({1, 2, 3}).type(), QDBusMessage::ErrorMessage);
        QCOMPARE(call({"only one"}).type(), QDBusMessage::ErrorMessage);
        QTest::qWait(50);
        QCOMPARE(windows.count(), 4);
        QCOMPARE(source.runningClasses(), QStringList({"firefox", "kate", QString(FocusedWindow::kMaxApp, 'x')}));

        // A second program cannot take the name while this one has it.
        DBusFocusSource second(DBusFocusSource::Shell::Other, connection());
        QVERIFY(!second.start());
        QVERIFY(second.reason().startsWith("Another program"));
    }

    void kwinLoadsAndRunsTheScript_data()
    {
        QTest::addColumn<QString>("scriptPath");
        QTest::newRow("KWin 6") << "/Scripting/Script7";
        QTest::newRow("KWin 5") << "/7";
    }

    void kwinLoadsAndRunsTheScript()
    {
        QFETCH(QString, scriptPath);
        FakeKWin kwin(connection(), scriptPath);
        QVERIFY(kwin.registered);
        FakeScripting& scripting = kwin.scripting;
        FakeScript& script = kwin.script;

        QTemporaryDir folder;
        {
            DBusFocusSource source(DBusFocusSource::Shell::KWin, connection(), folder.path());
            QVERIFY2(source.start(), qPrintable(source.reason()));
            QCOMPARE(source.name(), QString("kwin"));
            QVERIFY(source.reason().isEmpty());
            QCOMPARE(scripting.loadedName, KWinFocusScript::pluginName());
            QVERIFY(scripting.loadedPath.startsWith(folder.path() + "/"));
            QCOMPARE(scripting.loadedText, KWinFocusScript::text());
            QCOMPARE(script.runs, 1);
            // A copy of an earlier run is unloaded before the load.
            QCOMPARE(scripting.unloaded, QStringList{"orvanta-focus"});

            // The script's call as KWin makes it.
            QSignalSpy windows(&source, &FocusSource::windowActivated);
            call({"org.kde.dolphin", "Home — Dolphin", "321"});
            QTRY_COMPARE(windows.count(), 1);
            QCOMPARE(windows[0][0].value<FocusedWindow>().app, QString("org.kde.dolphin"));
        }
        // Unloaded when the program ends.
        QCOMPARE(scripting.unloaded.size(), 2);
    }

    void withoutKWinTheReasonSaysSo()
    {
        QTemporaryDir folder;
        {
            DBusFocusSource source(DBusFocusSource::Shell::KWin, connection(), folder.path());
            QVERIFY(!source.start());
            QVERIFY(source.reason().startsWith("KWin did not take Orvanta's window script"));
        }
        // A refused script.
        FakeKWin kwin(connection(), "/Scripting/Script7");
        QVERIFY(kwin.registered);
        kwin.scripting.id = -1;
        DBusFocusSource refused(DBusFocusSource::Shell::KWin, connection(), folder.path());
        QVERIFY(!refused.start());
        QVERIFY(refused.reason().contains("refused"));
    }

    void theDesktopChoosesTheSource_data()
    {
        QTest::addColumn<QStringList>("variables");
        QTest::addColumn<QString>("source");
        QTest::newRow("X11 session") << QStringList{"DISPLAY=:5", "XDG_CURRENT_DESKTOP=KDE"} << "x11";
        QTest::newRow("Plasma on Wayland") << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:1", "XDG_CURRENT_DESKTOP=KDE"} << "kwin";
        QTest::newRow("GNOME on Wayland") << QStringList{"XDG_SESSION_TYPE=wayland", "XDG_CURRENT_DESKTOP=ubuntu:GNOME"} << "gnome";
        QTest::newRow("Sway with XWayland") << QStringList{"WAYLAND_DISPLAY=wayland-1", "DISPLAY=:0", "XDG_CURRENT_DESKTOP=sway"} << "xwayland";
        QTest::newRow("Wayland alone") << QStringList{"WAYLAND_DISPLAY=wayland-1", "XDG_CURRENT_DESKTOP=Hyprland"} << "none";
        QTest::newRow("no display") << QStringList{} << "none";
        QTest::newRow("chosen") << QStringList{"DISPLAY=:5", "ORVANTA_FOCUS_SOURCE=None"} << "none";
        QTest::newRow("chosen shell") << QStringList{"DISPLAY=:5", "ORVANTA_FOCUS_SOURCE=gnome"} << "gnome";
    }

    void theDesktopChoosesTheSource()
    {
        QFETCH(QStringList, variables);
        QFETCH(QString, source);
        QProcessEnvironment environment;
        for (const QString& variable : variables)
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        const std::unique_ptr<FocusSource> chosen = focusSourceFor(environment);
        QCOMPARE(chosen->name(), source);
        if (source == "none") {
            QVERIFY(!chosen->start());
            QCOMPARE(chosen->reason(), QString("Your desktop does not tell programs which window is in front"));
        }
    }

    void theScriptHandlesBothKWinGenerations()
    {
        const QByteArray text = KWinFocusScript::text();
        QVERIFY(text.contains("workspace.windowActivated"));
        QVERIFY(text.contains("workspace.clientActivated"));
        QVERIFY(text.contains("\"org.orvanta.Orvanta\", \"/org/orvanta/Focus\", \"org.orvanta.Focus1\", \"WindowActivated\""));
        // The desktop and panels count as no program.
        QVERIFY(text.contains("desktopWindow"));
    }
};

QTEST_GUILESS_MAIN(FocusDBusTest)
#include "tst_focus_dbus.moc"
