// The shipped start page (pages/template/rx318) in the real browser, with
// the page commands answered by the test: it lists the devices it is given,
// asks again on "devicesChanged", shows the empty state when no list comes,
// shows input reports live, and drives the window through its commands.
#include "browser_test_support.h"
#include "client_handler.h"
#include "page_events.h"
#include "local_resources.h"
#include "web_page.h"
#include "web_view.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineProfile>

class TestStartPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void listsDevicesAndFollowsEvents();
    void windowButtonsSendCommands();

private:
    QStringList m_requests;
    // The program's family table, as "GetDeviceFamilies" answers it.
    QString m_families;
    bool m_devicesAttached = true;
    QWidget* m_window = nullptr;
    WebView* m_view = nullptr;
};

void TestStartPage::initTestCase()
{
    LocalResources::setPageFolder(qEnvironmentVariable("ORVANTA_SOURCE_DIR") + "/pages/template");
    QFile families(qEnvironmentVariable("ORVANTA_SOURCE_DIR") + "/resources/drive/families.json");
    QVERIFY(families.open(QIODevice::ReadOnly));
    m_families = QString::fromUtf8(families.readAll());
    ClientHandler::instance()->setProfile(offTheRecordProfile());
    m_window = new QWidget;
    m_window->resize(540, 425);
    const QString start = "http://pages.orvanta.test/local/rx318/index.html";
    m_view = new WebView(*ClientHandler::instance(), QUrl(start), start, m_window);
    m_view->resize(540, 425);
    connect(m_view, &WebView::jsMessage, this, [this](const QString& request, QueryCallbackPtr callback) {
        m_requests << request;
        if (request == "{\"FuncName\":\"GetDevicesList\"}" && m_devicesAttached)
            callback->success("[{\"DeviceId\":\"1\",\"DevicePath\":\"/dev/emulated/25a7fa91&col07\","
                              "\"Version\":\"25A7FA91\",\"ReadDevice\":\"DisableRead\"},"
                              "{\"DeviceId\":\"2\",\"Version\":\"258A0016\"}]");
        else if (request.contains("\"GetDefaultLanguage\""))
            callback->success("en");
        else if (request.contains("\"ReadConf\""))
            callback->failure(0, "File Or KeyName does not exist");
        else if (request.contains("\"GetTrayState\""))
            callback->success("{\"Tray\":true}");
        else if (request.contains("\"GetDeviceFamilies\""))
            callback->success(m_families);
    });
    QSignalSpy loaded(m_view, &WebView::loadFinished);
    m_window->show();
    QVERIFY(loaded.wait(20000));
    QVERIFY(loaded.last().at(0).toBool());
}

void TestStartPage::cleanupTestCase()
{
    delete m_window;
    QWebEngineProfile* profile = ClientHandler::instance()->profile();
    ClientHandler::instance()->setProfile(nullptr);
    delete profile;
}

void TestStartPage::listsDevicesAndFollowsEvents()
{
    QWebEnginePage* page = m_view->page();
    QVERIFY(BrowserTest::waitFor(page, "document.querySelectorAll('.device-card').length", 2));
    QCOMPARE(BrowserTest::evaluate(page, "document.querySelector('.device-card .device-name').textContent").toString(),
             QString("RX318 Air"));
    // A device of no known family is listed but cannot be opened.
    QCOMPARE(BrowserTest::evaluate(page, "document.querySelectorAll('a.device-card').length").toInt(), 1);
    QCOMPARE(m_requests.count("{\"FuncName\":\"GetDevicesList\"}"), 1);

    // Reports come from the vendor family's device: its stage, live.
    raisePageEvent(*ClientHandler::instance(), "onDeviceData", {"5,1a,1,0"});
    // The card says reports come; its stage is in the title, so that a
    // mouse changing stages does not redraw the start page each time.
    QVERIFY(BrowserTest::waitFor(page, "document.querySelector('.device-card .live').title",
                                 "Live \u00b7 DPI stage 2"));
    QCOMPARE(BrowserTest::evaluate(page, "document.querySelector('.device-card .live-text').textContent").toString(),
             QString("Live"));

    m_view->sendEvent("devicesChanged");
    QTRY_COMPARE(m_requests.count("{\"FuncName\":\"GetDevicesList\"}"), 2);

    // Unplugged: the list gets no answer at all, and the page says what to do.
    m_devicesAttached = false;
    m_view->sendEvent("devicesChanged");
    QVERIFY(BrowserTest::waitFor(page, "!!document.querySelector('#empty-state')", true));
    m_devicesAttached = true;
    m_view->sendEvent("devicesChanged");
    QVERIFY(BrowserTest::waitFor(page, "document.querySelectorAll('.device-card').length", 2));
}

void TestStartPage::windowButtonsSendCommands()
{
    QWebEnginePage* page = m_view->page();
    m_requests.clear();
    BrowserTest::evaluate(page, "document.getElementById('maximise').click();"
                                "document.getElementById('maximise').click();"
                                "document.getElementById('close').click();");
    QCOMPARE(BrowserTest::evaluate(page, "document.getElementById('maximise').getAttribute('aria-label')").toString(),
             QString("Maximise"));
    // Closing asks first whether the desktop has a tray to close into.
    QTRY_COMPARE(m_requests, QStringList({"{\"FuncName\":\"maxsizeWindow\"}", "{\"FuncName\":\"restoreWindow\"}",
                                          "{\"FuncName\":\"GetTrayState\"}", "{\"FuncName\":\"CloseX\"}"}));

    // Minimising is the browser host's own shortcut: it never reaches here.
    BrowserTest::evaluate(page, "document.getElementById('minimise').click()");
    QTRY_VERIFY(m_window->isMinimized());
    m_window->showNormal();
    QCOMPARE(m_requests.size(), 4);
}

int main(int argc, char** argv)
{
    BrowserTest::prepare();
    QApplication app(argc, argv);
    TestStartPage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_start_page.moc"
