#pragma once

#include <QWebEnginePage>

class ViewHost;

// The page of one view. Pop-ups and "spotify:" addresses leave the program
// through the host, for the system's browser (or the system's handler);
// navigation is never cancelled otherwise.
class WebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    WebPage(ViewHost& host, QWebEngineProfile* profile, QObject* parent = nullptr);

protected:
    QWebEnginePage* createWindow(WebWindowType type) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceID) override;

private:
    ViewHost& m_host;
};
