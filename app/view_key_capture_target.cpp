#include "view_key_capture_target.h"

#include "client_handler.h"
#include "web_view.h"

#include <QWidget>
#include <QWindow>

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
