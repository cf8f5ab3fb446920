#include "web_page.h"

#include "view_host.h"

#include <QDebug>

namespace {
// Catches the first address a pop-up would load, hands it to the system's
// browser and goes away; the pop-up itself never shows.
class PopupCatcher : public QWebEnginePage
{
public:
    PopupCatcher(ViewHost& host, QWebEngineProfile* profile, QObject* parent)
        : QWebEnginePage(profile, parent)
        , m_host(host)
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override
    {
        if (isMainFrame && !url.isEmpty()) {
            m_host.openExternally(url);
            deleteLater();
        }
        return false;
    }

private:
    ViewHost& m_host;
};
} // namespace

WebPage::WebPage(ViewHost& host, QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent)
    , m_host(host)
{
}

QWebEnginePage* WebPage::createWindow(WebWindowType)
{
    return new PopupCatcher(m_host, profile(), this);
}

bool WebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (url.scheme() == QLatin1String("spotify")) {
        m_host.openExternally(url);
        return false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void WebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message,
                                       int lineNumber, const QString& sourceID)
{
    qDebug().noquote() << "page:" << sourceID << lineNumber << message;
}
