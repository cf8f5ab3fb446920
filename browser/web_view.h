#pragma once

#include "query_callback.h"

#include <QMutex>
#include <QPointer>
#include <QUrl>
#include <QVariantList>
#include <QWidget>

class BrowserWidget;
class PageBridge;
class QKeyEvent;
class QWebChannel;
class ViewHost;
class WebPage;

// One browser: a widget holding a Qt WebEngine view, its page and the page
// bridge. What it needs of the browser host (the profile, where its page
// requests go, the current listener, the system keys) it gets from the
// ViewHost it is made with. Page requests that the host forwards arrive as
// MessageEvents and leave as jsMessage in the GUI thread. Requests are
// taken only while the view shows a page of the local page scheme.
//
// The browser is created on first show, or on a resize, once the widget has
// a positive size; with Qt WebEngine creation completes at once, so the
// state goes none (0) -> created (2), passing creating (1) only within
// createBrowser().
class WebView : public QWidget
{
    Q_OBJECT
public:
    enum BrowserState { None = 0, Creating = 1, Created = 2 };

    // host: the browser host, which must outlive the view; viewName: the
    // name the view registers its browser under in the host's named-browser
    // table (empty: not registered).
    WebView(ViewHost& host, const QUrl& url, const QString& viewName, QWidget* parent = nullptr);
    ~WebView() override;

    ViewHost& host() const { return m_host; }
    BrowserState browserState() const { return m_state; }
    QString viewName() const { return m_viewName; }
    QUrl url() const;
    WebPage* page() const { return m_page; }
    BrowserWidget* browserWidget() const { return m_view; }

    void load(const QUrl& url);
    // Raises a native event in the page (dropped while there is no page).
    void sendEvent(const QString& name, const QVariantList& args = QVariantList());
    // Creates the browser when the state is None and the size is positive.
    bool createBrowser();
    // The current navigation became a download: it ends as aborted, not as
    // a failed load.
    void noteDownloadStarted();
    // Hands a key press or release to the page as if typed into it, the
    // system keys (Alt, F10) included: the keyboard capture of macro
    // recording. False while there is no browser.
    bool sendCapturedKey(QKeyEvent* event);

signals:
    void titleChanged(const QString& title);
    void urlChanged(const QUrl& url);
    void loadStarted();
    void loadFinished(bool ok);
    void navStateChanged(bool canGoBack, bool canGoForward);
    void jsMessage(const QString& request, QueryCallbackPtr callback);
    // Emitted when a load fails; code -3 when it was aborted (stopped,
    // replaced by another load, or turned into a download), -2 otherwise.
    void loadError(int code, const QUrl& url);

public slots:
    void back();
    void forward();
    void reload();
    void stop();
    void evaluateJavaScript(const QString& scriptSource);

protected:
    void customEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchRenderWidget();
    void onLoadStarted();
    void onLoadFinished(bool ok);

    ViewHost& m_host;
    QUrl m_url;
    QString m_viewName;
    BrowserState m_state = None;
    QMutex m_mutex;
    BrowserWidget* m_view = nullptr;
    WebPage* m_page = nullptr;
    PageBridge* m_bridge = nullptr;
    QWebChannel* m_channel = nullptr;
    static constexpr int kDownloadGraceMs = 300;
    int m_errorSerial = 0;
    int m_pendingError = 0;
    bool m_loading = false;
    bool m_aborted = false;
    bool m_closing = false;
    bool m_passSystemKeys = false;
    bool m_refusalLogged = false;
};

// Old name of the view kept for code written against it.
using QCefWebView = WebView;
