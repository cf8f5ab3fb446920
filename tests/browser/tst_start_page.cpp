// The shipped start page (pages/template/rx318) in the real browser: it
// asks for the device list, shows what it gets, asks again on
// "devicesChanged", shows input reports, and drives the window through
// its commands.
#include "browser_test_support.h"
#include "client_handler.h"
#include "local_resources.h"
#include "web_page.h"
#include "web_view.h"

#include <QApplication>
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
    QWidget* m_window = nullptr;
    WebView* m_view = nullptr;
};

void TestStartPage::initTestCase()
{
    LocalResources::setPageFolder(qEnvironmentVariable("ORVANTA_SOURCE_DIR") + "/pages/template");
    ClientHandler::instance()->setProfile(offTheRecordProfile());
    m_window = new QWidget;
    m_window->resize(540, 425);
    const QString start = "http://pages.orvanta.test/local/rx318/index.html";
    m_view = new WebView(*ClientHandler::instance(), QUrl(start), start, m_window);
    m_view->resize(540, 425);
    connect(m_view, &WebView::jsMessage, this, [this](const QString& request, QueryCallbackPtr callback) {
        m_requests << request;
        if (request == "{\"FuncName\":\"GetDevicesList\"}")
            callback->success("[{\"DeviceId\":\"1\",\"DevicePath\":\"/dev/emulated/258a0016&col02\","
                              "\"Version\":\"258A0016\",\"ReadDevice\":\"1\"}]");
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
    QVERIFY(BrowserTest::waitFor(page, "document.querySelectorAll('#devices tbody tr').length", 1));
    QCOMPARE(BrowserTest::evaluate(page, "document.querySelector('#devices tbody td').textContent").toString(),
             QString("258A0016"));
    QCOMPARE(m_requests.count("{\"FuncName\":\"GetDevicesList\"}"), 1);

    ClientHandler::instance()->onDeviceData("5,1a,0");
    QVERIFY(BrowserTest::waitFor(page, "document.querySelector('td.report').textContent", "5,1a,0"));

    m_view->sendEvent("devicesChanged");
    QTRY_COMPARE(m_requests.count("{\"FuncName\":\"GetDevicesList\"}"), 2);
}

void TestStartPage::windowButtonsSendCommands()
{
    QWebEnginePage* page = m_view->page();
    m_requests.clear();
    BrowserTest::evaluate(page, "document.getElementById('maximise').click();"
                                "document.getElementById('maximise').click();"
                                "document.getElementById('close').click();");
    QTRY_COMPARE(m_requests, QStringList({"{\"FuncName\":\"maxsizeWindow\"}", "{\"FuncName\":\"restoreWindow\"}",
                                          "{\"FuncName\":\"CloseX\"}"}));

    // Minimising is the browser host's own shortcut: it never reaches here.
    BrowserTest::evaluate(page, "document.getElementById('minimise').click()");
    QTRY_VERIFY(m_window->isMinimized());
    m_window->showNormal();
    QCOMPARE(m_requests.size(), 3);
}

int main(int argc, char** argv)
{
    BrowserTest::prepare();
    QApplication app(argc, argv);
    TestStartPage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_start_page.moc"
