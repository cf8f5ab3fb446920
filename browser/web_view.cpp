#include "web_view.h"

#include "browser_widget.h"
#include "local_resources.h"
#include "logging.h"
#include "message_event.h"
#include "page_bridge.h"
#include "view_host.h"
#include "web_page.h"

#include <QCloseEvent>
#include <QColor>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMutexLocker>
#include <QResizeEvent>
#include <QTimer>
#include <QWebChannel>
#include <QWebEngineHistory>

WebView::WebView(ViewHost& host, const QUrl& url, const QString& viewName, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
    , m_url(url)
    , m_viewName(viewName)
{
}

WebView::~WebView()
{
    m_host.viewClosing(this);
}

QUrl WebView::url() const
{
    return m_page ? m_page->url() : m_url;
}

bool WebView::createBrowser()
{
    {
        QMutexLocker lock(&m_mutex);
        if (m_state != None || width() < 1 || height() < 1)
            return false;
        m_state = Creating;
    }
    m_host.setCurrentListener(this);

    m_view = new BrowserWidget(m_host, this);
    m_page = new WebPage(m_host, m_host.profile(), m_view);
    m_page->setBackgroundColor(QColor::fromRgba(0xFF222529));
    m_bridge = new PageBridge(this);
    m_bridge->setRequestHandler([this](const QString& request, const QueryCallbackPtr& callback) {
        // Only the program's own pages hold the commands (files, packages,
        // firmware): a page from anywhere else gets no answer at all.
        const QUrl page = m_page->url();
        if (!LocalResources::isLocalPage(page)) {
            if (!m_refusalLogged)
                LOG_WARNING(QStringLiteral("Application Error: requests of %1 are not answered: only the program's"
                                           " own pages may send commands")
                                .arg(Logger::clipped(page.toString())));
            m_refusalLogged = true;
            return;
        }
        m_host.handleQuery(this, request, callback);
    });
    m_channel = new QWebChannel(m_page);
    m_channel->registerObject(QStringLiteral("orvantaBridge"), m_bridge);
    m_page->setWebChannel(m_channel);
    m_view->setPage(m_page);
    m_view->setGeometry(rect());

    connect(m_page, &QWebEnginePage::titleChanged, this, &WebView::titleChanged);
    connect(m_page, &QWebEnginePage::urlChanged, this, &WebView::urlChanged);
    connect(m_page, &QWebEnginePage::loadStarted, this, &WebView::onLoadStarted);
    connect(m_page, &QWebEnginePage::loadFinished, this, &WebView::onLoadFinished);
    connect(this, &WebView::loadError, this, [this](int code, const QUrl& failed) {
        m_host.handleLoadError(this, code, failed);
    });
    m_host.attachPage(this);

    m_view->installEventFilter(this);
    m_view->show();
    {
        QMutexLocker lock(&m_mutex);
        m_state = Created;
    }
    m_host.viewCreated(this);
    if (!m_url.isEmpty())
        m_page->load(m_url);
    return true;
}

void WebView::load(const QUrl& url)
{
    m_url = url;
    if (m_page)
        m_page->load(url);
}

void WebView::sendEvent(const QString& name, const QVariantList& args)
{
    if (m_bridge)
        m_bridge->sendEvent(name, args);
}

void WebView::back()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Back);
}

void WebView::forward()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Forward);
}

void WebView::reload()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Reload);
}

void WebView::stop()
{
    if (!m_page)
        return;
    if (m_loading)
        m_aborted = true;
    m_page->triggerAction(QWebEnginePage::Stop);
}

void WebView::noteDownloadStarted()
{
    if (m_loading)
        m_aborted = true;
    // Chromium ends a navigation that turns into a download as a failed
    // load, and tells of the download only afterwards: a failure still
    // waiting to be reported is an abort.
    if (m_pendingError)
        m_pendingError = 0;
}

bool WebView::sendCapturedKey(QKeyEvent* event)
{
    if (!m_view)
        return false;
    QWidget* target = m_view->focusProxy() ? m_view->focusProxy() : m_view;
    m_passSystemKeys = true;
    QCoreApplication::sendEvent(target, event);
    m_passSystemKeys = false;
    return true;
}

void WebView::evaluateJavaScript(const QString& scriptSource)
{
    if (m_page)
        m_page->runJavaScript(scriptSource);
}

void WebView::watchRenderWidget()
{
    // Installing a filter twice keeps one copy.
    if (m_view && m_view->focusProxy())
        m_view->focusProxy()->installEventFilter(this);
}

void WebView::onLoadStarted()
{
    watchRenderWidget();
    m_refusalLogged = false;
    // A load that starts while another is under way replaces it: the
    // earlier one ends as aborted.
    if (m_loading)
        m_aborted = true;
    m_loading = true;
    emit loadStarted();
}

void WebView::onLoadFinished(bool ok)
{
    const bool aborted = m_aborted;
    m_loading = false;
    m_aborted = false;
    if (m_page) {
        QWebEngineHistory* history = m_page->history();
        emit navStateChanged(history->canGoBack(), history->canGoForward());
    }
    if (!ok) {
        const QUrl failed = url();
        if (aborted) {
            emit loadError(-3, failed);
        } else {
            // Reported after a short grace, in which a download of this
            // navigation turns the failure into an abort.
            const int serial = ++m_errorSerial;
            m_pendingError = serial;
            QTimer::singleShot(kDownloadGraceMs, this, [this, serial, failed]() {
                const bool stillPending = m_pendingError == serial;
                if (m_pendingError == serial)
                    m_pendingError = 0;
                emit loadError(stillPending ? -2 : -3, failed);
            });
        }
    }
    emit loadFinished(ok);
}

void WebView::customEvent(QEvent* event)
{
    if (event->type() == MessageEvent::eventType()) {
        auto* message = static_cast<MessageEvent*>(event);
        emit jsMessage(message->request(), message->callback());
        return;
    }
    QWidget::customEvent(event);
}

void WebView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_state == None)
        createBrowser();
    else if (m_view)
        m_view->setGeometry(rect());
}

void WebView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_state == None)
        createBrowser();
}

void WebView::closeEvent(QCloseEvent* event)
{
    if (!m_closing && m_page) {
        m_closing = true;
        m_host.viewClosing(this);
    }
    event->accept();
}

bool WebView::eventFilter(QObject* watched, QEvent* event)
{
    // The view's focus proxy (the render widget) appears with the first
    // page; the filter follows it there.
    if (event->type() == QEvent::ChildAdded && watched == m_view)
        QTimer::singleShot(0, this, &WebView::watchRenderWidget);
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!m_passSystemKeys && m_host.isSystemKey(key->key()))
            return true;
    }
    if (event->type() == QEvent::CursorChange && m_host.mouseCursorChangeDisabled()) {
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            if (widget->cursor().shape() != Qt::ArrowCursor)
                widget->unsetCursor();
        }
    }
    return QWidget::eventFilter(watched, event);
}
