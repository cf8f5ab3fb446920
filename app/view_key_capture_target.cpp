#include "view_key_capture_target.h"

#include "client_handler.h"
#include "web_page.h"
#include "web_view.h"

#include <QRandomGenerator>
#include <QWebEngineScript>
#include <QWidget>
#include <QWindow>

namespace {
// A script world of the program's own, apart from the page's.
constexpr quint32 kCaptureWorld = QWebEngineScript::ApplicationWorld + 7;
} // namespace

ViewKeyCaptureTarget::~ViewKeyCaptureTarget()
{
    captureEnded();
}

WebView* ViewKeyCaptureTarget::currentView() const
{
    ClientHandler* handler = ClientHandler::instance();
    QVector<WebView*> views;
    views << handler->currentListener() << handler->mainBrowser() << handler->popupBrowsers();
    if (QWidget* host = handler->hostWindow()) {
        for (WebView* view : qAsConst(views)) {
            if (view && view->window() == host)
                return view;
        }
    }
    for (WebView* view : qAsConst(views)) {
        if (view)
            return view;
    }
    return nullptr;
}

QWindow* ViewKeyCaptureTarget::captureWindow() const
{
    WebView* view = currentView();
    return view ? view->window()->windowHandle() : nullptr;
}

bool ViewKeyCaptureTarget::deliverCapturedKey(QKeyEvent& event)
{
    WebView* view = currentView();
    return view && view->sendCapturedKey(&event);
}

void ViewKeyCaptureTarget::captureStarted(std::function<void()> gone)
{
    captureEnded();
    WebView* view = currentView();
    WebPage* page = view ? view->page() : nullptr;
    if (!page)
        return;
    // The document that asked is marked in a script world of the program's
    // own, which the page cannot see. A load that ends (a reload, another
    // page) leaves a new document without the mark; a change of the
    // address's fragment keeps the document, and the mark.
    const QString mark = QString::number(QRandomGenerator::system()->generate64(), 36);
    const QString read = QStringLiteral("window.orvantaCaptureMark || ''");
    page->runJavaScript(QStringLiteral("window.orvantaCaptureMark = '%1'").arg(mark), kCaptureWorld);
    m_watch << QObject::connect(view, &WebView::loadFinished, view, [page, read, mark, gone]() {
        page->runJavaScript(read, kCaptureWorld, [mark, gone](const QVariant& value) {
            if (value.toString() != mark)
                gone();
        });
    });
    m_watch << QObject::connect(view, &QObject::destroyed, view, gone);
    m_watch << QObject::connect(page, &QWebEnginePage::renderProcessTerminated, view, gone);
}

void ViewKeyCaptureTarget::captureEnded()
{
    for (const QMetaObject::Connection& connection : qAsConst(m_watch))
        QObject::disconnect(connection);
    m_watch.clear();
}
