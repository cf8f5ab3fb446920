#pragma once

#include "external_opener.h"
#include "page_events.h"
#include "query_callback.h"
#include "view_host.h"
#include "web_view.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QVariantList>
#include <QVector>

#include <functional>
#include <memory>

class HostWindow;
class QWebEngineDownloadItem;
class QWebEngineProfile;

// The one browser host of the process, shared by every view. It keeps the
// main browser (the first view created), the table of named browsers that
// events are addressed to, the current listener that receives page
// requests, the host window that the window shortcuts act on, the startup
// address, and raises the native events in the pages.
//
// Named browsers: every view registers its browser under its view name when
// the browser is created (the main view under its page address, a pop-up
// under its normalised address) and leaves the table when it closes.
//
// It is the host of every view (ViewHost): views reach it through that
// interface only.
//
// It is the program's page event sink: deliver() finds the views an event's
// audience means (page_events.h holds who receives what) and raises the
// event in them.
//
// Lives in the GUI thread. The event senders may be called from any thread;
// they hand the event to the GUI thread, where it is sent.
class ClientHandler : public QObject, public ViewHost, public PageEventSink
{
    Q_OBJECT
public:
    static ClientHandler* instance();

    // Settings, from the program entry and the main window.
    void setProfile(QWebEngineProfile* profile);
    QWebEngineProfile* profile() const override;
    void setStartupUrl(const QString& url);
    QString startupUrl() const;
    void setMouseCursorChangeDisabled(bool disabled) { m_cursorChangeDisabled = disabled; }
    bool mouseCursorChangeDisabled() const override { return m_cursorChangeDisabled; }
    void setDebugMenu(bool enabled) { m_debugMenu = enabled; }
    bool debugMenu() const override { return m_debugMenu; }
    // The folder downloads are saved in ("<application folder>/update").
    void setDownloadFolder(const QString& folder) { m_downloadFolder = folder; }
    // Takes ownership; null restores the system's browser.
    void setExternalOpener(ExternalOpener* opener);
    void openExternally(const QUrl& url) override;
    // Runs before the minimise shortcut minimises (writes out page files).
    void setMinimiseHook(std::function<void()> hook) { m_minimiseHook = std::move(hook); }

    // Views.
    WebView* mainBrowser() const;
    WebView* currentListener() const { return m_listener; }
    void setCurrentListener(WebView* view) override { m_listener = view; }
    // The top-level window of the view that last created or activated a
    // browser, or sent a request.
    void setHostWindow(QWidget* window) override;
    QWidget* hostWindow() const;
    QString currentViewName() const { return m_currentViewName; }
    void setCurrentViewName(const QString& name) { m_currentViewName = name; }
    void registerNamed(const QString& name, WebView* view);
    void removeNamed(const QString& name);
    // Registers view under name in place of the names it had (the main view
    // on another page).
    void renameNamed(WebView* view, const QString& name);
    WebView* namedBrowser(const QString& name) const;
    // The name view is registered under ("" when it has none).
    QString nameOf(const WebView* view) const;
    QStringList namedBrowsers() const;
    int openBrowserCount() const { return m_openCount; }
    QVector<WebView*> popupBrowsers() const;

    // ViewHost: called by the views.
    void attachPage(WebView* view) override;
    void viewCreated(WebView* view) override;
    void viewClosing(WebView* view) override;
    void handleQuery(WebView* from, const QString& request, const QueryCallbackPtr& callback) override;
    void handleLoadError(WebView* view, int code, const QUrl& url) override;

    // F10 and Alt are system keys on the desktops the pages were made for;
    // they are kept from the page.
    bool isSystemKey(int qtKey) const override;
    // 20 MiB.
    static bool grantsQuota(qint64 bytes);
    // A view whose renderer ends again within this time of the reload that
    // followed its last crash is left as it is: a page that crashes at once
    // is not reloaded over and over.
    static constexpr qint64 kCrashReloadIntervalMs = 10000;

    // PageEventSink: the views of audience, after route.delayMs.
    void deliver(const EventRoute& route, const QString& view, const QString& name,
                 const QVariantList& args) override;
    // The views an audience means now (view: the name given with the event).
    QVector<WebView*> viewsFor(EventAudience audience, const QString& view) const;

    // The events the browser raises itself, through deliver().
    void currentPropChanged(int propIndex, int proMode);
    void navStateChanged(bool canGoBack, bool canGoForward);
    void RefreshDownState(WebView* view, qint64 total, qint64 received, const QString& path);
    void onSwitchVirtualDevice();

signals:
    // Every event that reached a view, for observers (and tests).
    void eventSent(WebView* view, const QString& name, const QVariantList& args);

private:
    ClientHandler();
    void post(std::function<void()> work);
    void send(WebView* view, const QString& name, const QVariantList& args);
    void onDownloadRequested(QWebEngineDownloadItem* download);
    void onRenderProcessTerminated(WebView* view);

    QWebEngineProfile* m_profile = nullptr;
    mutable QMutex m_mainMutex;
    QPointer<WebView> m_main;
    QPointer<WebView> m_listener;
    QPointer<QWidget> m_hostWindow;
    QMap<QString, QPointer<WebView>> m_named;
    QVector<QPointer<WebView>> m_popups;
    QString m_currentViewName;
    QString m_startupUrl;
    QString m_downloadFolder;
    int m_openCount = 0;
    bool m_cursorChangeDisabled = false;
    bool m_debugMenu = false;
    std::unique_ptr<ExternalOpener> m_opener;
    std::function<void()> m_minimiseHook;
    // When each view was last reloaded after a renderer crash (m_clock's
    // time).
    QElapsedTimer m_clock;
    QHash<const WebView*, qint64> m_crashReloads;
};
