// The main window on the real Qt WebEngine and the device emulator: its
// construction (page package, start page, page folders), the frameless
// sizing, the tray, the close paths, device notices, the answers of device
// writes, the music data and the periodic W1 pass.
#include "application.h"
#include "browser_setup.h"
#include "browser_test_support.h"
#include "client_handler.h"
#include "page_events.h"
#include "device_data_handler.h"
#include "local_resources.h"
#include "music_runtime.h"
#include "music_test_support.h"
#include "package_writer.h"
#include "pop_widget.h"
#include "popup_table.h"
#include "quit_request.h"
#include "system_tray.h"

#include <QMenu>
#include "tray_mode.h"
#include "web_page.h"
#include "input_automation.h"
#include "keyboard_capture.h"
#include "web_view.h"
#include "window.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>

#include <signal.h>

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void buildsFromProfile();
    void relativePageFolder();
    void framelessSizing();
    void trayFollowsTrayMode();
    void trayListsThePresetsToChooseByHand();
    void autostartKeepsWindowInTray();
    void closeRequestHidesOnly();
    void minimiseShortcutWritesFileCache();
    void deviceWriteAnswersOldestFirst();
    void pageRequestsRunThroughTheDispatcher();
    void aReloadEndsTheKeyboardCapture();
    void titleFollowsThePageAndPopupsOpenOverTheWindow();
    void popupsOpenCloseAndAreAddressed();
    void deviceNoticesRaiseDevicesChanged();
    void musicDataReachesTheLightingView();
    void w1PassEvery502Ticks();
    void loginMainMakesTheStartPage();
    void trayExitClosesApplication();

private:
    QStringList loggedCalls(const QString& name) const;
    // A page request of view as the browser host takes it: view's window
    // becomes the host window and the request goes to the current listener.
    void request(WebView* view, const QString& text);

    QTemporaryDir m_app;
    QTemporaryDir m_temp;
    QString m_log;
    Window* m_window = nullptr;
    const QString m_loadPath = QStringLiteral("http://pages.orvanta.test/local/t/index.html");
};

void TestWindow::initTestCase()
{
    // The device emulator with its default device set, logging every call.
    QFile::copy(EMULATOR_DEVICES, m_app.filePath("devices.json"));
    QFile(m_app.filePath("devices.json")).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    m_log = m_app.filePath("transport.log");
    qputenv("ORVANTA_TRANSPORT", EMULATOR_LIBRARY);
    qputenv("ORVANTA_DEVICES", QFile::encodeName(m_app.filePath("devices.json")));
    qputenv("ORVANTA_TRANSPORT_LOG", QFile::encodeName(m_log));

    // The page package beside the program.
    QVector<PackageFile> files;
    PackageFile page;
    page.name = "t/index.html";
    page.content = "<!doctype html><html><body>packed start page</body></html>";
    files << page;
    QString error;
    QVERIFY2(writePackageFile(m_app.filePath("skn.dat"), "1.0", files, &error), qPrintable(error));

    ClientHandler::instance()->setProfile(offTheRecordProfile());

    // What was once possible in the shared page copy: a page the package
    // holds turned into a folder, so that unpacking stopped, and a page of
    // someone else's beside it.
    QVERIFY(QDir().mkpath(m_temp.filePath("template/t/index.html/x")));
    QFile stray(m_temp.filePath("template/t/evil.html"));
    QVERIFY(stray.open(QIODevice::WriteOnly));
    stray.write("<script>cefQuery({request: '{\"FuncName\":\"UnPackFile\"}'})</script>");
    stray.close();

    WindowSetup setup;
    setup.profile = {{"Name", "Test"}, {"Debug", "false"}, {"ClientSize", "540,425"},
                     {"LoadPath", m_loadPath}, {"CloseFunc", "minisize"}, {"MusicView", m_loadPath}};
    setup.applicationFolder = m_app.path() + "/";
    setup.privateFolder = m_temp.path();
    setup.language = "en";
    m_window = new Window(setup);
}

void TestWindow::cleanupTestCase()
{
    delete m_window;
    // The profile goes before its storage folder does.
    QWebEngineProfile* profile = ClientHandler::instance()->profile();
    ClientHandler::instance()->setProfile(nullptr);
    delete profile;
}

QStringList TestWindow::loggedCalls(const QString& name) const
{
    QStringList keys;
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly))
        return keys;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QJsonObject call = QJsonDocument::fromJson(line).object();
        if (call.value("call").toString() == name)
            keys << call.value("path").toString();
    }
    return keys;
}

void TestWindow::request(WebView* view, const QString& text)
{
    ClientHandler::instance()->handleQuery(view, text, makeQueryCallback(nullptr, nullptr));
    QCoreApplication::processEvents();
}

void TestWindow::buildsFromProfile()
{
    const QString templateFolder = m_temp.path() + "/template";
    QCOMPARE(m_window->windowTitle(), QString("RX318 Pro"));
    QCOMPARE(m_window->objectName(), QString("MainWindow"));
    QCOMPARE(m_window->pageCopy().templateFolder(), templateFolder);
    QCOMPARE(m_window->pageCopy().pageFolder(), templateFolder + "/t");
    // The package is unpacked into a fresh page copy, which replaces the
    // old one whole, and kept.
    QFile index(templateFolder + "/t/index.html");
    QVERIFY(index.open(QIODevice::ReadOnly));
    QVERIFY(index.readAll().contains("packed start page"));
    QCOMPARE(QDir(templateFolder + "/t").entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
             QStringList({"index.html"}));
    QCOMPARE(QDir(m_temp.path()).entryList({"*template*"}, QDir::AllEntries | QDir::Hidden), QStringList({"template"}));
    QVERIFY(QFile::exists(m_app.filePath("skn.dat")));
    QCOMPARE(LocalResources::pageFolder(), templateFolder);

    ClientHandler* handler = ClientHandler::instance();
    QCOMPARE(handler->currentViewName(), m_loadPath);
    QCOMPARE(handler->startupUrl(), m_loadPath);
    QVERIFY(m_window->deviceSession().workerThread());
    QVERIFY(m_window->deviceSession().writer().thread() == m_window->deviceSession().workerThread());
    QVERIFY(m_window->deviceSession().deviceMap().contains("25A7FA91"));

    // The start page comes from the unpacked copy, not the network.
    QSignalSpy loaded(m_window->mainView(), &WebView::loadFinished);
    m_window->show();
    QVERIFY(loaded.wait(20000));
    QVERIFY(loaded.last().at(0).toBool());
    QCOMPARE(m_window->mainView()->url().scheme(), LocalResources::localScheme());
    QCOMPARE(handler->mainBrowser(), m_window->mainView());
    QCOMPARE(handler->namedBrowser(m_loadPath), m_window->mainView());
    QCOMPARE(m_window->mainView()->size(), QSize(540, 425));
}

void TestWindow::relativePageFolder()
{
    QVERIFY(Application::hasAutostart({"orvanta", "x", "-autostart"}));
    QVERIFY(Application::hasAutostart({"-autostart"}));
    QVERIFY(!Application::hasAutostart({"orvanta", "-AutoStart", "--autostart", "-autostart "}));

    QCOMPARE(PageCopy::relativePageFolder("http://pages.orvanta.test/local/tavik/main/index.html"),
             QString("tavik/main"));
}

void TestWindow::framelessSizing()
{
    m_window->setupFrameless();
    const int margin = m_window->shadowMargin();
    QCOMPARE(margin, 12);
    QCOMPARE(m_window->contentsMargins(), QMargins(margin, margin, margin, margin));
    QCOMPARE(m_window->contentMinimumSize(), QSize(500, 400));
    QCOMPARE(m_window->minimumSize(), QSize(500 + 2 * margin, 400 + 2 * margin));
    QCOMPARE(m_window->maximumSize(), QSize(540 + 2 * margin, 425 + 2 * margin));
    m_window->show();
    // The page gets the profile's whole size; the shadow goes around it.
    QCOMPARE(m_window->contentsRect().size(), QSize(540, 425));
    QTRY_COMPARE(m_window->mainView()->geometry(), m_window->contentsRect());

    // Maximised by the page: the screen's available geometry, no shadow;
    // restored: the geometry it had.
    m_window->move(30, 40);
    const QRect normal = m_window->geometry();
    request(m_window->mainView(), "{\"FuncName\":\"maxsizeWindow\"}");
    QTRY_VERIFY(m_window->isMaximized());
    QTRY_COMPARE(m_window->geometry(), m_window->screen()->availableGeometry());
    QCOMPARE(m_window->shadowMargin(), 0);
    QTRY_COMPARE(m_window->mainView()->geometry(), m_window->rect());
    request(m_window->mainView(), "{\"FuncName\":\"maxsizeWindow\"}");

    request(m_window->mainView(), "{\"FuncName\":\"restoreWindow\"}");
    QTRY_VERIFY(!m_window->isMaximized());
    QTRY_COMPARE(m_window->geometry(), normal);
    QCOMPARE(m_window->shadowMargin(), margin);
    QCOMPARE(m_window->maximumSize(), QSize(540 + 2 * margin, 425 + 2 * margin));
}

void TestWindow::trayListsThePresetsToChooseByHand()
{
    m_window->setupTray();
    SystemTray* tray = m_window->tray();
    PresetSwitcher& presets = m_window->session().presets();
    const auto entries = [&] {
        QStringList out;
        for (QAction* action : tray->menu()->actions())
            out << (action->isSeparator() ? QStringLiteral("-")
                                          : action->text() + (action->isChecked() ? QStringLiteral(" *") : QString()));
        return out;
    };
    QCOMPARE(entries(), QStringList({"OPEN", "-", "Presets", QString("%1 *").arg(presets.activePreset()), "-", "EXIT"}));
    QVERIFY(!tray->presetActions().first()->isEnabled());

    // A preset added on the page appears; choosing it in the menu puts it
    // into effect by hand.
    PresetSet set = m_window->session().presetStore().set();
    set.presets.append(Preset{QStringLiteral("Games"), QString(), std::nullopt});
    QString why;
    QVERIFY2(m_window->session().presetStore().save(set, &why), qPrintable(why));
    QCOMPARE(entries().mid(2, 3), QStringList({"Presets", QString("%1 *").arg(set.defaultPreset), "Games"}));
    tray->presetActions().last()->trigger();
    QCOMPARE(presets.activePreset(), QString("Games"));
    QCOMPARE(presets.cause(), PresetSwitcher::Cause::Manual);
    QCOMPARE(entries().mid(2, 3), QStringList({"Presets", set.defaultPreset, "Games *"}));
}

void TestWindow::trayFollowsTrayMode()
{
    m_window->setupTray();
    SystemTray* tray = m_window->tray();
    QVERIFY(tray);
    QCOMPARE(tray->openAction()->text(), QString("OPEN"));
    QCOMPARE(tray->exitAction()->text(), QString("EXIT"));
    QCOMPARE(SystemTray::openText("de"), QString("打开"));
    QCOMPARE(SystemTray::exitText(""), QString("退出"));

    setTrayModeText(QString());
    m_window->hide();
    m_window->onSystemtrayActive(QSystemTrayIcon::DoubleClick);
    tray->openAction()->trigger();
    QVERIFY(!m_window->isVisible());

    setTrayModeText("EnableTray");
    m_window->onSystemtrayActive(QSystemTrayIcon::Context);
    m_window->onSystemtrayActive(QSystemTrayIcon::MiddleClick);
    QVERIFY(!m_window->isVisible());
    m_window->onSystemtrayActive(QSystemTrayIcon::DoubleClick);
    QVERIFY(m_window->isVisible());

    m_window->hide();
    tray->openAction()->trigger();
    QVERIFY(m_window->isVisible());

    // "ShowMsgBox": an information balloon for 800 ms.
    QSignalSpy balloon(tray, &SystemTray::infoShown);
    emit m_window->mainView()->jsMessage("{\"FuncName\":\"ShowMsgBox\",\"Message\":\"Saved\"}",
                                         makeQueryCallback(nullptr, nullptr));
    QCOMPARE(balloon.count(), 1);
    QCOMPARE(balloon.first(), QVariantList({"Info", "Saved", 800}));

    setTrayModeText("DisableTray");
    m_window->hide();
    m_window->onSystemtrayActive(QSystemTrayIcon::Trigger);
    QVERIFY(!m_window->isVisible());
    setTrayModeText("EnableTray");
}

void TestWindow::autostartKeepsWindowInTray()
{
    m_window->hide();
    setAutostart(true);
    m_window->firstShow();
    QVERIFY(!m_window->isVisible());
    setAutostart(false);

    // A later instance's "show" brings it back, not minimised.
    m_window->showFromInstance();
    QVERIFY(m_window->isVisible());
    QVERIFY(!m_window->isMinimized());
}

void TestWindow::closeRequestHidesOnly()
{
    // With a tray, the desktop's close hides the window there.
    m_window->setTrayAvailable([] { return true; });
    m_window->show();
    QVERIFY(m_window->hasTray());
    QVERIFY(!m_window->close());
    QVERIFY(!m_window->isVisible());
    QVERIFY(!isQuitting());
    m_window->show();
    // Without one (the close would quit, which the last test checks), the
    // page is told so.
    m_window->setTrayAvailable([] { return false; });
    QVERIFY(!m_window->hasTray());
    QStringList answers;
    emit m_window->mainView()->jsMessage("{\"FuncName\":\"GetTrayState\"}",
                                         makeQueryCallback([&](const QString& t) { answers << t; }, nullptr));
    QCOMPARE(answers, QStringList{"{\"Tray\":false}"});
}

void TestWindow::minimiseShortcutWritesFileCache()
{
    const QString path = m_app.filePath("profile.xml");
    QFile::remove(path);
    m_window->deviceSession().fileCache().store(path, "<profile/>");
    bool answered = false;
    ClientHandler::instance()->handleQuery(
        m_window->mainView(), "{\"FuncName\":\"MinisizeWindow\"}",
        makeQueryCallback([&](const QString&) { answered = true; }, [](int, const QString&) {}));
    QVERIFY(answered);
    QVERIFY(!m_window->deviceSession().fileCache().hasPending());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("<profile/>"));
    m_window->showNormal();
}

void TestWindow::deviceWriteAnswersOldestFirst()
{
    QStringList answers;
    auto callback = [&](const QString& tag) {
        return makeQueryCallback([&answers, tag](const QString& text) { answers << tag + ":ok:" + text; },
                                 [&answers, tag](int code, const QString& text) {
                                     answers << tag + ":fail:" + QString::number(code) + ":" + text;
                                 });
    };
    m_window->SlocallbackReasult(true);   // nothing waits: nothing happens
    m_window->deviceSession().pendingAnswers().enqueue(callback("a"));
    m_window->deviceSession().pendingAnswers().enqueue(callback("b"));
    m_window->SlocallbackReasult(true);
    m_window->SlocallbackReasult(false);
    QCOMPARE(answers, QStringList({"a:ok:writeDevices success!", "b:fail:0:writeDevices failed!"}));
    QVERIFY(m_window->deviceSession().pendingAnswers().isEmpty());

    // Through the worker thread: a write for a device that is not there.
    answers.clear();
    m_window->deviceSession().pendingAnswers().enqueue(callback("c"));
    emit m_window->SigWriteDevice("FFFFFFFF", "M1.0", "1", "1", "1", "0", "0", "0");
    QTRY_COMPARE(answers, QStringList({"c:fail:0:writeDevices failed!"}));
}

void TestWindow::pageRequestsRunThroughTheDispatcher()
{
    QStringList answers;
    auto callback = [&answers] {
        return makeQueryCallback([&answers](const QString& text) { answers << "ok:" + text; },
                                 [&answers](int code, const QString& text) {
                                     answers << "fail:" + QString::number(code) + ":" + text;
                                 });
    };
    WebView* view = m_window->mainView();

    // The device list comes from the emulator through the window's device map.
    emit view->jsMessage("{\"FuncName\":\"GetDevicesList\"}", callback());
    QCOMPARE(answers.size(), 1);
    QVERIFY2(answers.first().startsWith("ok:") && answers.first().contains("258A"), qPrintable(answers.first()));
    QVERIFY(!m_window->deviceSession().deviceMap().isEmpty());

    // Unknown names and non-JSON requests get no reply.
    answers.clear();
    emit view->jsMessage("{\"FuncName\":\"NoSuchCommand\"}", callback());
    emit view->jsMessage("not json", callback());
    QVERIFY(answers.isEmpty());

    // A pop-up is opened once per address.
    const int before = m_window->popups().size();
    const QString open = "{\"FuncName\":\"OpenView\",\"Url\":\"about:blank#pop\",\"width\":300,\"height\":200}";
    emit view->jsMessage(open, callback());
    emit view->jsMessage(open, callback());
    QCOMPARE(m_window->popups().size(), before + 1);
    for (PopWidget* popup : m_window->popups().all())
        popup->close();
}

void TestWindow::aReloadEndsTheKeyboardCapture()
{
    // Macro recording took the keyboard, then the page reloaded without
    // saying stop: the capture ends with the page. A change of the page's
    // fragment is no new page and leaves it running.
    WebView* view = m_window->mainView();
    ClientHandler::instance()->setCurrentListener(view);
    KeyboardCapture& capture = m_window->inputAutomation().keyboardCapture();
    const auto start = [this, view]() {
        request(view, QString::fromUtf8("{\"FuncName\":\"mouseTracks\",\"status\":\"开始\"}"));
    };
    // Loads still under way from before are over.
    QTest::qWait(500);
    start();
    QVERIFY(capture.isRunning());
    BrowserTest::evaluate(view->page(), "location.hash = '#/macros'");
    QTest::qWait(300);
    QVERIFY(capture.isRunning());
    QSignalSpy loaded(view, &WebView::loadFinished);
    view->reload();
    QTRY_VERIFY_WITH_TIMEOUT(!capture.isRunning(), 10000);
    QVERIFY(loaded.count() || loaded.wait(20000));

    // Likewise when its renderer ends.
    start();
    QVERIFY(capture.isRunning());
    QVERIFY(::kill(pid_t(view->page()->renderProcessPid()), SIGKILL) == 0);
    QTRY_VERIFY_WITH_TIMEOUT(!capture.isRunning(), 10000);
    // The start page is not reloaded by itself: the tests after this one
    // need it back.
    QSignalSpy back(view, &WebView::loadFinished);
    view->reload();
    QVERIFY(back.wait(20000));
}

void TestWindow::titleFollowsThePageAndPopupsOpenOverTheWindow()
{
    // The page names what it shows; the window carries that name.
    WebView* view = m_window->mainView();
    m_window->show();
    BrowserTest::evaluate(view->page(), "document.title = 'DPI — Strider ZX40'");
    QTRY_COMPARE(m_window->windowTitle(), QString("DPI — Strider ZX40"));

    // A pop-up (the music window) opens centred over the main window, not
    // at the screen's corner.
    m_window->move(200, 150);
    const QString url = "about:blank#/music-over.html";
    emit view->jsMessage(QString("{\"FuncName\":\"OpenView\",\"Url\":\"%1\",\"width\":300,\"height\":200}").arg(url),
                         makeQueryCallback(nullptr, nullptr));
    PopWidget* popup = m_window->popups().find(url);
    QVERIFY(popup);
    const QPoint centre = m_window->frameGeometry().center();
    QVERIFY2((popup->frameGeometry().center() - centre).manhattanLength() <= 4,
             qPrintable(QString("%1,%2 vs %3,%4").arg(popup->frameGeometry().center().x()).arg(popup->frameGeometry().center().y())
                            .arg(centre.x()).arg(centre.y())));
    m_window->popups().closeCurrent();
}

void TestWindow::popupsOpenCloseAndAreAddressed()
{
    ClientHandler* handler = ClientHandler::instance();
    WebView* main = m_window->mainView();
    const QRect screen = QGuiApplication::primaryScreen()->availableVirtualGeometry();
    const QString url = "about:blank#/set.html";
    const QString open = QString("{\"FuncName\":\"OpenView\",\"Url\":\"%1\",\"width\":%2,\"height\":%3}");

    // No window of nothing, and none larger than the screens.
    const int before = m_window->popups().size();
    emit main->jsMessage(open.arg(url).arg(0).arg(200), makeQueryCallback(nullptr, nullptr));
    QCOMPARE(m_window->popups().size(), before);
    emit main->jsMessage(open.arg(url).arg(40000).arg(2000000000), makeQueryCallback(nullptr, nullptr));
    PopWidget* popup = m_window->popups().find(url);
    QVERIFY(popup);
    QSignalSpy loaded(popup->view(), &WebView::loadFinished);
    QVERIFY(popup->width() <= screen.width() && popup->height() <= screen.height());
    QVERIFY(popup->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(handler->currentViewName(), url);
    QTRY_COMPARE(m_window->popups().current(), popup);
    QTRY_COMPARE(handler->namedBrowser(url), popup->view());
    QCOMPARE(handler->currentListener(), popup->view());

    // Events for the current view reach the pop-up.
    QSignalSpy sent(handler, &ClientHandler::eventSent);
    raisePageEvent(*handler, "onUpdateFirmware", {"50"});
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.first().at(0).value<WebView*>(), popup->view());

    // Maximised and restored from the pop-up: the pop-up, not the window.
    popup->setGeometry(QRect(10, 20, 300, 200));
    request(popup->view(), "{\"FuncName\":\"maxsizeWindow\"}");
    QCOMPARE(popup->geometry(), popup->screen()->availableGeometry());
    QVERIFY(!m_window->isMaximized());
    request(popup->view(), "{\"FuncName\":\"restoreWindow\"}");
    QCOMPARE(popup->geometry(), QRect(10, 20, 300, 200));

    // Its renderer crashes: the start page comes back in it, and the
    // program lives on.
    QVERIFY(loaded.count() > 0 || loaded.wait(20000));
    QVERIFY(::kill(pid_t(popup->view()->page()->renderProcessPid()), SIGKILL) == 0);
    QTRY_VERIFY_WITH_TIMEOUT(popup->view()->url().toString().endsWith("t/index.html"), 20000);

    // Closed by its page: gone from the table and the named browsers, no
    // event reaches it, requests go to the main view again, and it goes.
    QPointer<PopWidget> closed(popup);
    request(popup->view(), "{\"FuncName\":\"CloseView\"}");
    QCOMPARE(m_window->popups().size(), before);
    QVERIFY(!m_window->popups().find(url));
    QVERIFY(!handler->namedBrowser(url));
    QCOMPARE(handler->currentListener(), main);
    QCOMPARE(handler->hostWindow(), m_window);
    sent.clear();
    raisePageEvent(*handler, "onDeviceData", {"1,2"});
    QTRY_VERIFY(!sent.isEmpty());
    for (const QList<QVariant>& event : sent)
        QVERIFY(event.at(0).value<WebView*>() != popup->view());
    // Events for the current view reach the main page again (a firmware
    // update started there after a pop-up closed).
    sent.clear();
    raisePageEvent(*handler, "onUpdateFirmware", {"updated"});
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.first().at(0).value<WebView*>(), main);
    QTRY_VERIFY(closed.isNull());

    // Opened again: a new pop-up.
    emit main->jsMessage(open.arg(url).arg(300).arg(200), makeQueryCallback(nullptr, nullptr));
    QVERIFY(m_window->popups().find(url));
    QCOMPARE(m_window->popups().find(url)->size(), QSize(300, 200));
    QTRY_COMPARE(m_window->popups().current(), m_window->popups().find(url));
    request(m_window->popups().find(url)->view(), "{\"FuncName\":\"CloseView\"}");
    QCOMPARE(m_window->popups().size(), before);
    handler->setCurrentViewName(m_loadPath);
}

void TestWindow::deviceNoticesRaiseDevicesChanged()
{
    // The devices' input reports reach the views meanwhile ("onDeviceData");
    // only the notices are counted.
    QList<WebView*> noticed;
    const QMetaObject::Connection watch = connect(
        ClientHandler::instance(), &ClientHandler::eventSent, this,
        [&noticed](WebView* view, const QString& name, const QVariantList&) {
            if (name == QLatin1String("devicesChanged"))
                noticed << view;
        });
    m_window->onDevicesChanged(3);
    m_window->onDevicesChanged(2);
    m_window->onDevicesChanged(1);
    QTRY_COMPARE(noticed.size(), 2);
    for (WebView* view : qAsConst(noticed))
        QCOMPARE(view, m_window->mainView());
    QTest::qWait(600);
    QCOMPARE(noticed.size(), 2);
    disconnect(watch);
}

void TestWindow::musicDataReachesTheLightingView()
{
    // The lighting view is the main view here; the track is a tone (the
    // machine may have no sound card: the silent clock carries it).
    QVERIFY(MusicTest::writeWav(m_app.filePath("ttd.mp3"), 8000, 8000,
                                [](qint64 frame, int) { return MusicTest::harmonicSine(64, frame, 1.0); }));
    QSignalSpy sent(ClientHandler::instance(), &ClientHandler::eventSent);
    QStringList answers;
    emit m_window->mainView()->jsMessage(
        "{\"FuncName\":\"RGBMusicPlay\"}",
        makeQueryCallback([&answers](const QString& text) { answers << text; }, [](int, const QString&) {}));
    QCOMPARE(answers, QStringList{"RGBMusicPlay success"});
    // Other events may come first (a slow machine still delivers earlier
    // ones): the first music event is the one looked at.
    const auto musicEvent = [&sent]() -> QList<QVariant> {
        for (const QList<QVariant>& e : qAsConst(sent)) {
            if (e.at(1).toString() == QLatin1String("OnRGBMusicData"))
                return e;
        }
        return {};
    };
    QTRY_VERIFY(!musicEvent().isEmpty());
    const QList<QVariant> event = musicEvent();
    QCOMPARE(event.at(0).value<WebView*>(), m_window->mainView());
    const QString text = event.at(2).toList().value(0).toString();
    QVERIFY2(text.startsWith("{\n    \"data\": [\n") && text.count(',') == 256, qPrintable(text));
    m_window->music()->audioData().stopMusic();
}

void TestWindow::w1PassEvery502Ticks()
{
    // Through the window and the emulator. The window's own timer keeps
    // running, so the ticks are counted from a fresh window-independent
    // start: drain to the next pass first.
    QFile::remove(m_log);
    int ticks = 0;
    while (loggedCalls("dcW1WriteAddress").isEmpty() && ticks < 600) {
        m_window->periodicTick();
        ++ticks;
    }
    QVERIFY(ticks <= 502);
    const QStringList firstPass = loggedCalls("dcW1WriteAddress");
    QCOMPARE(firstPass.size(), W1ResetPass::w1Keys(m_window->deviceSession().deviceMap()).size());
    QVERIFY(loggedCalls("Reset").isEmpty());

    QFile::remove(m_log);
    for (int i = 0; i < 501; ++i)
        m_window->periodicTick();
    QVERIFY(loggedCalls("dcW1WriteAddress").isEmpty());
    m_window->periodicTick();
    QCOMPARE(loggedCalls("dcW1WriteAddress"), firstPass);
}

void TestWindow::loginMainMakesTheStartPage()
{
    ClientHandler* handler = ClientHandler::instance();
    const QString url = m_loadPath + "?login";
    const QString login = QString("{\"FuncName\":\"LoginMain\",\"Url\":\"%1\",\"width\":\"%2\",\"height\":\"%3\"}");
    emit m_window->mainView()->jsMessage(login.arg(url).arg(0).arg(410), makeQueryCallback(nullptr, nullptr));
    QCOMPARE(handler->startupUrl(), m_loadPath);
    QVERIFY(m_window->isVisible());

    emit m_window->mainView()->jsMessage(login.arg(url).arg(520).arg(410), makeQueryCallback(nullptr, nullptr));
    QVERIFY(!m_window->isVisible());
    QCOMPARE(handler->startupUrl(), url);
    QCOMPARE(handler->currentViewName(), url);
    QCOMPARE(handler->namedBrowser(url), m_window->mainView());
    QVERIFY(!handler->namedBrowser(m_loadPath));
    QCOMPARE(m_window->contentMinimumSize(), QSize(520, 410));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->isVisible(), 5000);
    QCOMPARE(m_window->contentsRect().size(), QSize(520, 410));
    QTRY_COMPARE(m_window->mainView()->size(), QSize(520, 410));

    // Back to the first page; larger than the screens is made to fit.
    emit m_window->mainView()->jsMessage(login.arg(m_loadPath).arg(540).arg(40000),
                                         makeQueryCallback(nullptr, nullptr));
    QVERIFY(m_window->height() <= QGuiApplication::primaryScreen()->availableVirtualGeometry().height());
    QTRY_VERIFY_WITH_TIMEOUT(m_window->isVisible(), 5000);
    QCOMPARE(handler->namedBrowser(m_loadPath), m_window->mainView());
}

void TestWindow::trayExitClosesApplication()
{
    const QString path = m_app.filePath("settings.xml");
    m_window->deviceSession().fileCache().store(path, "<settings/>");
    m_window->show();
    QVERIFY(!isQuitting());
    m_window->tray()->exitAction()->trigger();
    QVERIFY(!m_window->isVisible());
    QVERIFY(QFile::exists(path));
    QVERIFY(isQuitting());
}

int main(int argc, char** argv)
{
    BrowserTest::prepare();
    QApplication app(argc, argv);
    TestWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
