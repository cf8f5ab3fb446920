#include "client_handler.h"

#include "application_folder.h"

#include "external_opener.h"
#include "host_window.h"
#include "local_resources.h"
#include "logging.h"
#include "window_shortcuts.h"
#include "message_event.h"
#include "no_follow_file.h"
#include "program_files.h"
#include "web_page.h"
#include "web_view.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>
#include <QThread>
#include <QTimer>
#include <QWebEngineDownloadItem>
#include <QWebEngineProfile>
#include <QWebEngineQuotaRequest>

ClientHandler* ClientHandler::instance()
{
    // Lives for the whole process; views may still reach it while the
    // application object is being torn down.
    static ClientHandler* handler = new ClientHandler();
    return handler;
}

ClientHandler::ClientHandler()
    : m_startupUrl(QStringLiteral("about:blank"))
    , m_opener(new DesktopOpener)
{
    m_clock.start();
    // Whichever thread asks first, the handler lives in the GUI thread,
    // where its events are sent.
    if (QCoreApplication::instance())
        moveToThread(QCoreApplication::instance()->thread());
}

void ClientHandler::setProfile(QWebEngineProfile* profile)
{
    if (m_profile)
        disconnect(m_profile, nullptr, this, nullptr);
    m_profile = profile;
    if (m_profile)
        connect(m_profile, &QWebEngineProfile::downloadRequested, this, &ClientHandler::onDownloadRequested);
}

QWebEngineProfile* ClientHandler::profile() const
{
    return m_profile ? m_profile : QWebEngineProfile::defaultProfile();
}

void ClientHandler::setStartupUrl(const QString& url)
{
    m_startupUrl = url;
}

QString ClientHandler::startupUrl() const
{
    return m_startupUrl;
}

void ClientHandler::setExternalOpener(ExternalOpener* opener)
{
    m_opener.reset(opener ? opener : new DesktopOpener);
}

void ClientHandler::openExternally(const QUrl& url)
{
    m_opener->open(url);
}

WebView* ClientHandler::mainBrowser() const
{
    QMutexLocker lock(&m_mainMutex);
    return m_main;
}

void ClientHandler::setHostWindow(QWidget* window)
{
    m_hostWindow = window;
}

QWidget* ClientHandler::hostWindow() const
{
    return m_hostWindow;
}

void ClientHandler::registerNamed(const QString& name, WebView* view)
{
    if (!name.isEmpty() && view)
        m_named.insert(name, view);
}

void ClientHandler::removeNamed(const QString& name)
{
    m_named.remove(name);
}

void ClientHandler::renameNamed(WebView* view, const QString& name)
{
    for (auto it = m_named.begin(); it != m_named.end();) {
        if (it.value() == view)
            it = m_named.erase(it);
        else
            ++it;
    }
    registerNamed(name, view);
}

WebView* ClientHandler::namedBrowser(const QString& name) const
{
    return m_named.value(name);
}

QString ClientHandler::nameOf(const WebView* view) const
{
    for (auto it = m_named.constBegin(); it != m_named.constEnd(); ++it) {
        if (view && it.value() == view)
            return it.key();
    }
    return QString();
}

QStringList ClientHandler::namedBrowsers() const
{
    return m_named.keys();
}

QVector<WebView*> ClientHandler::popupBrowsers() const
{
    QVector<WebView*> views;
    for (const QPointer<WebView>& view : m_popups)
        if (view)
            views.append(view);
    return views;
}

void ClientHandler::attachPage(WebView* view)
{
    WebPage* page = view->page();
    QPointer<WebView> guard(view);
    connect(page, &QWebEnginePage::quotaRequested, this, [](QWebEngineQuotaRequest request) {
        if (grantsQuota(request.requestedSize()))
            request.accept();
        else
            request.reject();
    });
    connect(page, &QWebEnginePage::renderProcessTerminated, this, [this, guard]() {
        if (guard)
            onRenderProcessTerminated(guard);
    });
    connect(view, &WebView::navStateChanged, this, [this, guard](bool back, bool forward) {
        if (guard && guard == mainBrowser())
            navStateChanged(back, forward);
    });
}

void ClientHandler::viewCreated(WebView* view)
{
    {
        QMutexLocker lock(&m_mainMutex);
        if (!m_main)
            m_main = view;
        else
            m_popups.append(view);
    }
    setHostWindow(view->window());
    registerNamed(view->viewName(), view);
    ++m_openCount;
}

void ClientHandler::viewClosing(WebView* view)
{
    bool known = false;
    for (auto it = m_named.begin(); it != m_named.end();) {
        if (it.value() == view || it.value().isNull())
            it = m_named.erase(it);
        else
            ++it;
    }
    {
        QMutexLocker lock(&m_mainMutex);
        if (m_main == view) {
            m_main = nullptr;
            known = true;
        }
    }
    for (int i = m_popups.size() - 1; i >= 0; --i) {
        if (m_popups[i] == view || m_popups[i].isNull()) {
            known = known || m_popups[i] == view;
            m_popups.remove(i);
        }
    }
    if (m_listener == view)
        m_listener = nullptr;
    m_crashReloads.remove(view);
    if (known && m_openCount > 0)
        --m_openCount;
}

void ClientHandler::handleQuery(WebView* from, const QString& request, const QueryCallbackPtr& callback)
{
    if (from)
        setHostWindow(from->window());
    std::unique_ptr<HostWindow> host;
    if (m_hostWindow)
        host.reset(new WidgetHostWindow(m_hostWindow));
    WindowShortcuts::handle(request, callback, host.get(), m_minimiseHook,
                         [this](const QString& text, const QueryCallbackPtr& answer) {
                             WebView* listener = m_listener;
                             if (!listener)
                                 return false;
                             QCoreApplication::postEvent(listener, new MessageEvent(text, answer), 1);
                             return true;
                         });
}

void ClientHandler::handleLoadError(WebView* view, int code, const QUrl& url)
{
    if (code == -3)
        return;
    if (code == -302 && url.toString().startsWith(QLatin1String("spotify:")))
        return;
    // The failing view itself, by its name (one that has none is sent to
    // directly).
    const QString name = nameOf(view);
    if (name.isEmpty())
        send(view, QStringLiteral("onBrowserMsg"), {QStringLiteral("pageError")});
    else
        raisePageEvent(*this, QStringLiteral("onBrowserMsg"), {QStringLiteral("pageError")}, name);
}

bool ClientHandler::isSystemKey(int qtKey) const
{
    return qtKey == Qt::Key_F10 || qtKey == Qt::Key_Alt;
}

bool ClientHandler::grantsQuota(qint64 bytes)
{
    return bytes <= 20 * 1024 * 1024;
}

void ClientHandler::post(std::function<void()> work)
{
    if (QThread::currentThread() == thread())
        work();
    else
        QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

void ClientHandler::send(WebView* view, const QString& name, const QVariantList& args)
{
    if (!view)
        return;
    view->sendEvent(name, args);
    emit eventSent(view, name, args);
}

void ClientHandler::deliver(const EventRoute& route, const QString& view, const QString& name,
                            const QVariantList& args)
{
    const EventAudience audience = route.audience;
    const int delayMs = route.delayMs;
    post([this, audience, delayMs, view, name, args]() {
        const auto send = [this, audience, view, name, args]() {
            for (WebView* target : viewsFor(audience, view))
                this->send(target, name, args);
        };
        // The device notice comes before the device is ready to be listed:
        // the wait is a timer, so the window stays responsive.
        if (delayMs > 0)
            QTimer::singleShot(delayMs, this, send);
        else
            send();
    });
}

QVector<WebView*> ClientHandler::viewsFor(EventAudience audience, const QString& view) const
{
    QVector<WebView*> views;
    switch (audience) {
    case EventAudience::MainView:
        views << mainBrowser();
        break;
    case EventAudience::EveryView:
        for (const QPointer<WebView>& named : m_named)
            views << named.data();
        break;
    case EventAudience::NamedView:
        views << namedBrowser(view);
        break;
    case EventAudience::CurrentView:
        views << namedBrowser(m_currentViewName);
        break;
    case EventAudience::NamedViewElseMain:
        views << (view.isEmpty() ? mainBrowser() : namedBrowser(view));
        break;
    }
    views.removeAll(nullptr);
    return views;
}

void ClientHandler::currentPropChanged(int propIndex, int proMode)
{
    raisePageEvent(*this, QStringLiteral("currentPropChanged"), {propIndex, proMode});
}

void ClientHandler::navStateChanged(bool canGoBack, bool canGoForward)
{
    raisePageEvent(*this, QStringLiteral("navStateChanged"), {canGoBack, canGoForward});
}

void ClientHandler::RefreshDownState(WebView* view, qint64 total, qint64 received, const QString& path)
{
    // Integers travel as 32 bits: the low 32 bits of the byte counts.
    const int total32 = static_cast<int>(static_cast<quint32>(total));
    const int received32 = static_cast<int>(static_cast<quint32>(received));
    // The view that started the download, by its name.
    raisePageEvent(*this, QStringLiteral("RefreshDownState"), {total32, received32, path}, nameOf(view));
}

void ClientHandler::onSwitchVirtualDevice()
{
    raisePageEvent(*this, QStringLiteral("onSwitchVirtualDevice"), {});
}

void ClientHandler::onDownloadRequested(QWebEngineDownloadItem* download)
{
    QVector<WebView*> views = popupBrowsers();
    views.append(mainBrowser());
    WebView* starter = nullptr;
    for (WebView* view : views) {
        if (view && view->page() == download->page())
            starter = view;
    }
    if (starter)
        starter->noteDownloadStarted();
    const QString folder = m_downloadFolder.isEmpty()
        ? applicationFilePath(QStringLiteral("update"))
        : m_downloadFolder;
    QDir().mkpath(folder);
    // Only the file name of the suggestion counts: a name with folders in it
    // must not place the file outside the download folder.
    QString name = QFileInfo(download->downloadFileName()).fileName();
    if (name.isEmpty() || name == QLatin1String(".."))
        name = QStringLiteral("download");
    const QString path = QDir(folder).filePath(name);
    // Like every file a page has written: never through a link, never over
    // one of the program's own files.
    QString refusal;
    if (isProgramFile(path))
        refusal = QStringLiteral("one of the program's own files");
    else
        NoFollowFile::canWrite(path, QString(), &refusal);
    if (!refusal.isEmpty()) {
        LOG_ERROR(QStringLiteral("Application Error: download to '%1' refused: %2").arg(path, refusal));
        download->cancel();
        return;
    }
    download->setDownloadDirectory(folder);
    download->setDownloadFileName(name);
    QPointer<WebView> guard(starter);
    connect(download, &QWebEngineDownloadItem::downloadProgress, this,
            [this, guard, path](qint64 received, qint64 total) { RefreshDownState(guard, total, received, path); });
    connect(download, &QWebEngineDownloadItem::finished, this, [this, guard, path, download]() {
        if (download->state() == QWebEngineDownloadItem::DownloadCompleted)
            RefreshDownState(guard, 100, 100, path);
    });
    download->accept();
}

void ClientHandler::onRenderProcessTerminated(WebView* view)
{
    if (m_startupUrl == QLatin1String("chrome://crash"))
        return;
    QUrl url = view->url();
    if (url.scheme() == LocalResources::localScheme())
        url = LocalResources::toNetworkUrl(url);
    const QString address = url.toString().toLower();
    if (address.isEmpty() || address.startsWith(m_startupUrl))
        return;
    const auto last = m_crashReloads.constFind(view);
    if (last != m_crashReloads.constEnd() && m_clock.elapsed() - last.value() < kCrashReloadIntervalMs) {
        LOG_ERROR(QStringLiteral("Application Error: the page %1 ended again right after it was reloaded;"
                                 " it is left as it is")
                      .arg(Logger::clipped(address)));
        return;
    }
    m_crashReloads.insert(view, m_clock.elapsed());
    LOG_ERROR(QStringLiteral("Application Error: the page %1 ended; loading %2")
                  .arg(Logger::clipped(address), Logger::clipped(m_startupUrl)));
    // Loading from within the browser's own notice of the ended renderer
    // takes the whole program down: the load waits for the event loop.
    QPointer<WebView> guard(view);
    const QUrl startup(m_startupUrl);
    QTimer::singleShot(0, this, [guard, startup]() {
        if (guard)
            guard->load(startup);
    });
}
