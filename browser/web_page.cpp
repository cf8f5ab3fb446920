#include "web_page.h"

#include "client_handler.h"

#include <QDebug>

namespace {
// Catches the first address a pop-up would load, hands it to the system's
// browser and goes away; the pop-up itself never shows.
class PopupCatcher : public QWebEnginePage
{
public:
    explicit PopupCatcher(QWebEngineProfile* profile, QObject* parent)
        : QWebEnginePage(profile, parent)
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override
    {
        if (isMainFrame && !url.isEmpty()) {
            ClientHandler::instance()->openExternally(url);
            deleteLater();
        }
        return false;
    }
};
} // namespace

WebPage::WebPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent)
{
}

QWebEnginePage* WebPage::createWindow(WebWindowType)
{
    return new PopupCatcher(profile(), this);
}

bool WebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (url.scheme() == QLatin1String("spotify")) {
        ClientHandler::instance()->openExternally(url);
        return false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void WebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message,
                                       int lineNumber, const QString& sourceID)
{
    qDebug().noquote() << "page:" << sourceID << lineNumber << message;
}
