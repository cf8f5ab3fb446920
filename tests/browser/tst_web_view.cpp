// The page interface end to end on the real Qt WebEngine: requests from a
// page's cefQuery, the two window shortcuts, page events, local pages and
// load errors. Pages come from a temporary local page folder; the "network"
// is a loopback HTTP server.
#include "browser_setup.h"
#include "browser_test_support.h"
#include "client_handler.h"
#include "page_events.h"
#include "external_opener.h"
#include "local_resources.h"
#include "view_host.h"
#include "web_page.h"
#include "unavailable_page.h"
#include "web_view.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>
#include <QWebEngineProfile>

#include <signal.h>

namespace {
void writeFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

class RecordingOpener : public ExternalOpener
{
public:
    explicit RecordingOpener(QList<QUrl>* opened) : m_opened(opened) {}
    void open(const QUrl& url) override { m_opened->append(url); }

private:
    QList<QUrl>* m_opened;
};

// A view host of its own: records what its views ask of it.
class RecordingViewHost : public ViewHost
{
public:
    QWebEngineProfile* profile() const override { return ClientHandler::instance()->profile(); }
    void attachPage(WebView*) override { calls << "attachPage"; }
    void viewCreated(WebView* view) override { calls << "viewCreated " + view->viewName(); }
    void viewClosing(WebView* view) override { calls << "viewClosing " + view->viewName(); }
    void setCurrentListener(WebView*) override { calls << "setCurrentListener"; }
    void setHostWindow(QWidget*) override {}
    void handleQuery(WebView*, const QString& request, const QueryCallbackPtr& callback) override
    {
        calls << "query " + request;
        callback->success("from the host");
    }
    void handleLoadError(WebView*, int code, const QUrl&) override { calls << QString("loadError %1").arg(code); }
    bool isSystemKey(int) const override { return false; }
    bool mouseCursorChangeDisabled() const override { return false; }
    bool debugMenu() const override { return false; }
    void openExternally(const QUrl&) override {}

    QStringList calls;
};
} // namespace

class TestWebView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void queryReachesJsMessageAndIsAnswered();
    void moveWindowNeedsFourNumbers();
    void minimiseShortcutOnlyWhenExact();
    void noReplyWithoutListener();
    void eventsReachRegisteredCallbacksOnly();
    void eventAddressing();
    void reloadedPageMustRegisterAgain();
    void localFileServedDespiteQueryString();
    void missingLocalFileNeverGoesToNetwork();
    void pagesFromElsewhereGetNoAnswer();
    void abortedLoadRaisesNoPageError();
    void popupsOpenInSystemBrowser();
    void downloadsReportProgressToTheirView();
    void viewsTalkOnlyToTheirHost();
    void rendererCrashReloadsTheStartPage();

private:
    void ask(const QString& request);
    QStringList answers();

    QTemporaryDir m_pages;
    LoopbackHttpServer m_server;
    QWidget* m_window = nullptr;
    WebView* m_view = nullptr;
    QString m_indexUrl;
    int m_minimiseHookCalls = 0;
    QList<QUrl> m_opened;
};

void TestWebView::initTestCase()
{
    QVERIFY(m_pages.isValid());
    QVERIFY(m_server.start());
    writeFile(m_pages.path() + "/t/index.html",
              "<!doctype html><html><head><script src=\"app.js?v=2\"></script></head>"
              "<body>local page</body></html>");
    writeFile(m_pages.path() + "/t/app.js",
              "window.answers = [];\n"
              "window.events = [];\n"
              "function ask(request) {\n"
              "  cefQuery({request: request,\n"
              "    onSuccess: function (t) { answers.push('ok:' + t); },\n"
              "    onFailure: function (c, t) { answers.push('fail:' + c + ':' + t); }});\n"
              "}\n"
              "function listen(name, tag) {\n"
              "  setMessageCallback(name, function (a) { events.push(tag + JSON.stringify(a)); });\n"
              "}\n");
    LocalResources::setPageFolder(m_pages.path());

    ClientHandler* handler = ClientHandler::instance();
    handler->setProfile(offTheRecordProfile());
    handler->setExternalOpener(new RecordingOpener(&m_opened));
    handler->setMinimiseHook([this]() { ++m_minimiseHookCalls; });

    m_indexUrl = m_server.pageRoot() + "t/index.html";
    m_window = new QWidget;
    m_window->setGeometry(100, 100, 400, 300);
    m_view = new WebView(*ClientHandler::instance(), QUrl(m_indexUrl + "?x=1"), "main", m_window);
    m_view->resize(400, 300);
    QSignalSpy loaded(m_view, &WebView::loadFinished);
    m_window->show();
    QVERIFY(loaded.wait(20000));
    QCOMPARE(m_view->browserState(), WebView::Created);
    QCOMPARE(handler->mainBrowser(), m_view);
    QCOMPARE(handler->namedBrowser("main"), m_view);
}

void TestWebView::init()
{
    ClientHandler::instance()->setCurrentListener(m_view);
    m_window->showNormal();
    m_window->setGeometry(100, 100, 400, 300);
    QSignalSpy loaded(m_view, &WebView::loadFinished);
    m_view->load(QUrl(m_indexUrl));
    QVERIFY(loaded.wait(20000));
    QVERIFY(BrowserTest::waitFor(m_view->page(), "typeof ask", "function"));
}

void TestWebView::cleanupTestCase()
{
    delete m_window;
    // The profile goes before its storage folder does.
    QWebEngineProfile* profile = ClientHandler::instance()->profile();
    ClientHandler::instance()->setProfile(nullptr);
    delete profile;
}

void TestWebView::ask(const QString& request)
{
    const QString literal = QString(request).replace("\\", "\\\\").replace("'", "\\'");
    BrowserTest::evaluate(m_view->page(), "ask('" + literal + "')");
}

QStringList TestWebView::answers()
{
    return BrowserTest::evaluate(m_view->page(), "answers").toStringList();
}

void TestWebView::queryReachesJsMessageAndIsAnswered()
{
    QStringList received;
    auto connection = connect(m_view, &WebView::jsMessage, this,
                              [&](const QString& request, QueryCallbackPtr callback) {
                                  received << request;
                                  if (request.contains("Ping"))
                                      callback->success("pong");
                                  else
                                      callback->failure(0, "no such command");
                                  callback->success("second answer is ignored");
                              });
    ask("{\"FuncName\":\"Ping\"}");
    ask("{\"FuncName\":\"Other\"}");
    QVERIFY(BrowserTest::waitFor(m_view->page(), "answers.length", 2));
    disconnect(connection);
    QCOMPARE(received, QStringList({"{\"FuncName\":\"Ping\"}", "{\"FuncName\":\"Other\"}"}));
    QCOMPARE(answers(), QStringList({"ok:pong", "fail:0:no such command"}));
}

void TestWebView::moveWindowNeedsFourNumbers()
{
    int forwarded = 0;
    auto connection = connect(m_view, &WebView::jsMessage, this,
                              [&](const QString&, QueryCallbackPtr callback) {
                                  ++forwarded;
                                  callback->success("sentinel");
                              });
    const QRect before = m_window->geometry();
    ask("MoveWindow 10,20,300,200");
    QVERIFY(BrowserTest::waitFor(m_view->page(), "answers.length", 1));
    QCOMPARE(answers(), QStringList({"ok:"}));
    QTRY_COMPARE(m_window->geometry(), QRect(before.left() + 10, before.top() + 20, 300, 200));

    const QRect moved = m_window->geometry();
    ask("MoveWindow 10,20");
    ask("{\"FuncName\":\"Sentinel\"}");
    QVERIFY(BrowserTest::waitFor(m_view->page(), "answers.length", 2));
    disconnect(connection);
    // The two-number request got no answer and was not forwarded.
    QCOMPARE(answers(), QStringList({"ok:", "ok:sentinel"}));
    QCOMPARE(forwarded, 1);
    QCOMPARE(m_window->geometry(), moved);
}

void TestWebView::minimiseShortcutOnlyWhenExact()
{
    QStringList forwarded;
    auto connection = connect(m_view, &WebView::jsMessage, this,
                              [&](const QString& request, QueryCallbackPtr callback) {
                                  forwarded << request;
                                  callback->success("dispatcher");
                              });
    m_minimiseHookCalls = 0;
    ask("{\"FuncName\":\"MinisizeWindow\"}");
    QVERIFY(BrowserTest::waitFor(m_view->page(), "answers.length", 1));
    QCOMPARE(m_minimiseHookCalls, 1);
    QVERIFY(m_window->isMinimized());
    QVERIFY(forwarded.isEmpty());

    // Asked again while minimised, the shortcut restores.
    ask("{\"FuncName\":\"MinisizeWindow\"}");
    QVERIFY(BrowserTest::waitFor(m_view->page(), "answers.length", 2));
    QVERIFY(!m_window->isMinimized());

    ask("{\"FuncName\": \"MinisizeWindow\"}");
    QVERIFY(BrowserTest::waitFor(m_view->page(), "answers.length", 3));
    disconnect(connection);
    QCOMPARE(answers(), QStringList({"ok:", "ok:", "ok:dispatcher"}));
    QCOMPARE(forwarded, QStringList({"{\"FuncName\": \"MinisizeWindow\"}"}));
    QCOMPARE(m_minimiseHookCalls, 2);
}

void TestWebView::noReplyWithoutListener()
{
    QStringList forwarded;
    auto connection = connect(m_view, &WebView::jsMessage, this,
                              [&](const QString& request, QueryCallbackPtr callback) {
                                  forwarded << request;
                                  callback->success(request);
                              });
    ClientHandler::instance()->setCurrentListener(nullptr);
    ask("{\"FuncName\":\"Lost\"}");
    // Requests travel in order: once the next one is answered, the first
    // has been handled.
    QVERIFY(BrowserTest::evaluate(m_view->page(), "answers.length").toInt() == 0);
    ClientHandler::instance()->setCurrentListener(m_view);
    ask("{\"FuncName\":\"Found\"}");
    QVERIFY(BrowserTest::waitFor(m_view->page(), "answers.length", 1));
    disconnect(connection);
    QCOMPARE(forwarded, QStringList({"{\"FuncName\":\"Found\"}"}));
    QCOMPARE(answers(), QStringList({"ok:{\"FuncName\":\"Found\"}"}));
}

void TestWebView::eventsReachRegisteredCallbacksOnly()
{
    ClientHandler* handler = ClientHandler::instance();
    QWebEnginePage* page = m_view->page();
    BrowserTest::evaluate(page, "listen('onDeviceData', 'first'); listen('onDeviceData', 'second');"
                                "listen('currentPropChanged', ''); listen('bogus', 'bogus');"
                                "setMessageCallback('navStateChanged'); setMessageCallback(1, function () {});");
    raisePageEvent(*handler, "onBrowserMsg", {"nobody listens"}, "main");      // no callback for it: dropped
    m_view->sendEvent("bogus", {1});                     // not an event name: dropped
    raisePageEvent(*handler, "onDeviceData", {"5,1a"});
    handler->currentPropChanged(3, -4);
    QVERIFY(BrowserTest::waitFor(page, "events.length", 2));
    QCOMPARE(BrowserTest::evaluate(page, "events").toStringList(),
             QStringList({"first[\"5,1a\"]", "[3,-4]"}));

    // Nested lists and other values are converted element by element.
    BrowserTest::evaluate(page, "listen('onSwitchVirtualDevice', 'v')");
    m_view->sendEvent("onSwitchVirtualDevice", {true, 2.5, QVariantList{"a", 1}, QVariantMap{{"x", 1}}});
    QVERIFY(BrowserTest::waitFor(page, "events.length", 3));
    QCOMPARE(BrowserTest::evaluate(page, "events[2]").toString(), QString("v[true,2.5,[\"a\",1],null]"));
}

void TestWebView::eventAddressing()
{
    ClientHandler* handler = ClientHandler::instance();
    QSignalSpy sent(handler, &ClientHandler::eventSent);
    raisePageEvent(*handler, "onBrowserMsg", {"x"}, "no such view");
    raisePageEvent(*handler, "OnRGBMusicData", {"x"}, "no such view");
    handler->setCurrentViewName("elsewhere");
    raisePageEvent(*handler, "onUpdateFirmware", {"50"});
    QTest::qWait(50);
    QCOMPARE(sent.count(), 0);

    handler->setCurrentViewName("main");
    raisePageEvent(*handler, "onUpdateFirmware", {"50"});
    raisePageEvent(*handler, "onBrowserMsg", {"hello"}, "main");
    QCOMPARE(sent.count(), 2);
    QCOMPARE(sent.at(0).at(1).toString(), QString("onUpdateFirmware"));

    // Raised from another thread, the event is sent in the GUI thread.
    QThread* thread = QThread::create([handler]() { raisePageEvent(*handler, "onDeviceData", {"1,2"}); });
    thread->start();
    QVERIFY(thread->wait(5000));
    delete thread;
    QTRY_COMPARE(sent.count(), 3);
    QCOMPARE(sent.at(2).at(1).toString(), QString("onDeviceData"));
    QCOMPARE(sent.at(2).at(2).toList(), QVariantList({"1,2"}));

    // "devicesChanged" goes to the main browser, without the kind.
    raisePageEvent(*handler, "devicesChanged", {});
    QTRY_COMPARE(sent.count(), 4);
    QCOMPARE(sent.at(3).at(0).value<WebView*>(), m_view);
    QCOMPARE(sent.at(3).at(2).toList(), QVariantList());
}

void TestWebView::reloadedPageMustRegisterAgain()
{
    QWebEnginePage* page = m_view->page();
    BrowserTest::evaluate(page, "listen('onDeviceData', 'old')");
    QSignalSpy loaded(m_view, &WebView::loadFinished);
    m_view->reload();
    QVERIFY(loaded.wait(20000));
    QVERIFY(BrowserTest::waitFor(page, "typeof listen", "function"));
    raisePageEvent(*ClientHandler::instance(), "onDeviceData", {"9"});
    BrowserTest::evaluate(page, "listen('onDeviceData', 'new')");
    raisePageEvent(*ClientHandler::instance(), "onDeviceData", {"10"});
    QVERIFY(BrowserTest::waitFor(page, "events.length", 1));
    QCOMPARE(BrowserTest::evaluate(page, "events").toStringList(), QStringList({"new[\"10\"]"}));
}

void TestWebView::localFileServedDespiteQueryString()
{
    // init() loaded the local index page, whose script is "app.js?v=2".
    QCOMPARE(BrowserTest::evaluate(m_view->page(), "document.body.innerText").toString(), QString("local page"));
    QCOMPARE(m_view->url().scheme(), LocalResources::localScheme());
    QSignalSpy loaded(m_view, &WebView::loadFinished);
    m_view->load(QUrl(m_indexUrl + "?x=1&y=2"));
    QVERIFY(loaded.wait(20000));
    QCOMPARE(BrowserTest::evaluate(m_view->page(), "document.body.innerText").toString(), QString("local page"));
    QVERIFY(m_server.requestedPaths().filter("/t/").isEmpty());
}

void TestWebView::missingLocalFileNeverGoesToNetwork()
{
    // Below the page root only the local copy answers: a page the copy does
    // not hold fails to load rather than coming from the network, where
    // anyone answering for the page host would get every command.
    QSignalSpy loaded(m_view, &WebView::loadFinished);
    m_view->load(QUrl(m_server.pageRoot() + "t/missing.html?q=1"));
    QVERIFY(loaded.wait(20000));
    QVERIFY(!loaded.last().at(0).toBool());
    QTest::qWait(200);
    QVERIFY(m_server.requestedPaths().filter("missing").isEmpty());
}

void TestWebView::pagesFromElsewhereGetNoAnswer()
{
    // A page from a loopback http server, outside any page root: the page
    // interface is there (it is injected into every page), but its requests
    // never reach the host and are never answered.
    int forwarded = 0;
    auto connection = connect(m_view, &WebView::jsMessage, this, [&](const QString&, QueryCallbackPtr callback) {
        ++forwarded;
        callback->success("answered");
    });
    QSignalSpy loaded(m_view, &WebView::loadFinished);
    m_view->load(QUrl(QString("http://127.0.0.1:%1/elsewhere.html").arg(m_server.port())));
    QVERIFY(loaded.wait(20000));
    QVERIFY(loaded.last().at(0).toBool());
    QVERIFY(BrowserTest::waitFor(m_view->page(), "typeof cefQuery", "function"));
    BrowserTest::evaluate(m_view->page(),
                          "window.got = [];"
                          "cefQuery({request: '{\"FuncName\":\"UnPackFile\",\"FileName\":\"x\"}',"
                          " onSuccess: function (t) { got.push('ok:' + t); },"
                          " onFailure: function (c, t) { got.push('fail:' + t); }});"
                          "cefQuery({request: 'MoveWindow 10,20,300,200', onSuccess: function () { got.push('moved'); }});");
    QTest::qWait(1000);
    QCOMPARE(BrowserTest::evaluate(m_view->page(), "got.length").toInt(), 0);
    QCOMPARE(forwarded, 0);

    // The page shown when the program's own pages cannot be served: made
    // here, it says what went wrong (as text) and holds no command either.
    m_view->load(UnavailablePage::address("The page package /x/skn.dat is missing. <b>bold</b>"));
    QVERIFY(loaded.wait(20000));
    QVERIFY(loaded.last().at(0).toBool());
    QVERIFY(BrowserTest::evaluate(m_view->page(), "document.body.innerText").toString()
                .contains("The page package /x/skn.dat is missing. <b>bold</b>"));
    BrowserTest::evaluate(m_view->page(), "window.got = []; cefQuery({request: '{\"FuncName\":\"Ping\"}',"
                                          " onSuccess: function (t) { got.push(t); }});");
    QTest::qWait(500);
    QCOMPARE(BrowserTest::evaluate(m_view->page(), "got.length").toInt(), 0);
    QCOMPARE(forwarded, 0);
    disconnect(connection);
}

void TestWebView::abortedLoadRaisesNoPageError()
{
    ClientHandler* handler = ClientHandler::instance();
    QSignalSpy sent(handler, &ClientHandler::eventSent);
    QSignalSpy errors(m_view, &WebView::loadError);
    QSignalSpy started(m_view, &WebView::loadStarted);
    m_view->load(QUrl(QString("http://127.0.0.1:%1/hang/slow.html").arg(m_server.port())));
    QVERIFY(started.count() > 0 || started.wait(20000));
    QTRY_VERIFY(m_server.requestedPaths().contains("/hang/slow.html"));
    m_view->stop();
    QTRY_COMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), -3);
    QTest::qWait(50);
    QVERIFY(!sent.count() || sent.last().at(1).toString() != "onBrowserMsg");

    // A load that fails on its own raises "pageError" in the failing view.
    m_view->load(QUrl("http://127.0.0.1:1/refused.html"));
    QTRY_VERIFY_WITH_TIMEOUT(errors.count() == 2, 20000);
    QCOMPARE(errors.at(1).at(0).toInt(), -2);
    QTRY_VERIFY(!sent.isEmpty());
    QCOMPARE(sent.last().at(1).toString(), QString("onBrowserMsg"));
    QCOMPARE(sent.last().at(2).toList(), QVariantList({"pageError"}));

    // Error codes the browser ignores.
    const int before = sent.count();
    handler->handleLoadError(m_view, -3, QUrl("http://x/"));
    handler->handleLoadError(m_view, -302, QUrl("spotify:track:1"));
    QCOMPARE(sent.count(), before);
    handler->handleLoadError(m_view, -302, QUrl("foo:bar"));
    QCOMPARE(sent.count(), before + 1);
}

void TestWebView::popupsOpenInSystemBrowser()
{
    m_opened.clear();
    BrowserTest::evaluate(m_view->page(), "window.open('http://example.invalid/help.html')");
    QTRY_COMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened.first(), QUrl("http://example.invalid/help.html"));
    QCOMPARE(m_view->url().scheme(), LocalResources::localScheme());
}

void TestWebView::downloadsReportProgressToTheirView()
{
    QTemporaryDir downloads;
    ClientHandler* handler = ClientHandler::instance();
    handler->setDownloadFolder(downloads.path());
    QSignalSpy sent(handler, &ClientHandler::eventSent);
    const QString host = QString("http://127.0.0.1:%1/").arg(m_server.port());
    BrowserTest::evaluate(m_view->page(), "location.href = '" + host + "download/fw'");
    const QString path = downloads.path() + "/firmware.bin";
    QTRY_VERIFY_WITH_TIMEOUT(!sent.isEmpty() && sent.last().at(2).toList() == QVariantList({100, 100, path}), 20000);
    // Past the grace in which a failed load would still be reported.
    QTest::qWait(400);
    QList<QVariantList> progress;
    for (const QList<QVariant>& event : sent) {
        // A navigation that became a download is no page error.
        QVERIFY(event.at(1).toString() != "onBrowserMsg");
        if (event.at(1).toString() == "RefreshDownState") {
            QCOMPARE(event.at(0).value<WebView*>(), m_view);
            progress << event.at(2).toList();
        }
    }
    QVERIFY(progress.size() >= 2);
    QCOMPARE(progress.first().at(0).toInt(), 3000);
    QCOMPARE(progress.first().at(2).toString(), path);
    QTRY_COMPARE(QFileInfo(path).size(), qint64(3000));

    // A link where the file would go, dangling or not: the download is
    // refused, nothing is written through it.
    QTemporaryDir outside;
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::link(outside.filePath("firmware.bin"), path));
    BrowserTest::evaluate(m_view->page(), "location.href = '" + host + "download/again'");
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requestedPaths().contains("/download/again"), 20000);
    QTest::qWait(1000);
    QVERIFY(!QFileInfo::exists(outside.filePath("firmware.bin")));
    QVERIFY(QFileInfo(path).isSymLink());
}

void TestWebView::viewsTalkOnlyToTheirHost()
{
    RecordingViewHost host;
    auto* view = new WebView(host, QUrl(m_indexUrl), "other");
    QSignalSpy loaded(view, &WebView::loadFinished);
    view->resize(200, 100);
    view->show();
    QCOMPARE(view->browserState(), WebView::Created);
    QCOMPARE(host.calls, QStringList({"setCurrentListener", "attachPage", "viewCreated other"}));
    QVERIFY(loaded.wait(20000));
    QVERIFY(BrowserTest::waitFor(view->page(), "typeof ask", "function"));

    // Its page requests go to its host, not to the client handler's listener.
    BrowserTest::evaluate(view->page(), "ask('{\"FuncName\":\"Ping\"}')");
    QVERIFY(BrowserTest::waitFor(view->page(), "answers.length", 1));
    QCOMPARE(BrowserTest::evaluate(view->page(), "answers").toStringList(), QStringList({"ok:from the host"}));
    QCOMPARE(host.calls.last(), QString("query {\"FuncName\":\"Ping\"}"));
    QVERIFY(ClientHandler::instance()->namedBrowser("other") == nullptr);

    delete view;
    QCOMPARE(host.calls.last(), QString("viewClosing other"));
}

void TestWebView::rendererCrashReloadsTheStartPage()
{
    // A renderer that ends away from the start page: the start page is
    // loaded again, and the program lives on. A page that ends again right
    // after is left as it is rather than reloaded in a loop.
    ClientHandler* handler = ClientHandler::instance();
    const QString startup = handler->startupUrl();
    handler->setStartupUrl(m_indexUrl);
    writeFile(m_pages.path() + "/lp.html", "<html><body>lp</body></html>");
    int ended = 0;
    connect(m_view->page(), &QWebEnginePage::renderProcessTerminated, this, [&ended]() { ++ended; });
    for (int round = 0; round < 2; ++round) {
        QSignalSpy loaded(m_view, &WebView::loadFinished);
        m_view->load(QUrl::fromLocalFile(m_pages.path() + "/lp.html"));
        QVERIFY(loaded.wait(20000));
        QVERIFY(::kill(pid_t(m_view->page()->renderProcessPid()), SIGSEGV) == 0);
        QTRY_COMPARE_WITH_TIMEOUT(ended, round + 1, 20000);
        if (round == 0) {
            QTRY_VERIFY_WITH_TIMEOUT(m_view->url().toString().endsWith("t/index.html"), 20000);
            QVERIFY(BrowserTest::waitFor(m_view->page(), "typeof ask", "function"));
        }
    }
    QTest::qWait(500);
    QVERIFY(m_view->url().toString().endsWith("lp.html"));
    handler->setStartupUrl(startup);
}

int main(int argc, char** argv)
{
    BrowserTest::prepare();
    QApplication app(argc, argv);
    TestWebView test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_web_view.moc"
