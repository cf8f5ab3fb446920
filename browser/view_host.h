#pragma once

#include "query_callback.h"

#include <QString>

class QUrl;
class QWebEngineProfile;
class QWidget;
class WebView;

// What a view (WebView, its page and its widget, a PopWidget) needs of the
// browser host it belongs to. The client handler is the program's one host;
// a view is handed its host when it is made and must not outlive it. All in
// the GUI thread.
class ViewHost
{
public:
    virtual ~ViewHost() = default;

    // The profile the pages are made in.
    virtual QWebEngineProfile* profile() const = 0;

    // The browser of view exists: the host hooks into its page (quota,
    // render process, navigation state), then learns that it was created.
    virtual void attachPage(WebView* view) = 0;
    virtual void viewCreated(WebView* view) = 0;
    // The browser of view is going away.
    virtual void viewClosing(WebView* view) = 0;

    // The view that receives page requests, and the top-level window that
    // the window shortcuts act on.
    virtual void setCurrentListener(WebView* view) = 0;
    virtual void setHostWindow(QWidget* window) = 0;

    // A page request ("cefQuery") of view with its answer handle.
    virtual void handleQuery(WebView* from, const QString& request, const QueryCallbackPtr& callback) = 0;
    // A load of view failed; code -3 when it was aborted.
    virtual void handleLoadError(WebView* view, int code, const QUrl& url) = 0;

    // Keys kept from the pages, the mouse-cursor switch and the developer
    // tools menu.
    virtual bool isSystemKey(int qtKey) const = 0;
    virtual bool mouseCursorChangeDisabled() const = 0;
    virtual bool debugMenu() const = 0;

    // Hands an address to the system (pop-ups, "spotify:").
    virtual void openExternally(const QUrl& url) = 0;
};
