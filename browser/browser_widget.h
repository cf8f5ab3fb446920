#pragma once

#include <QPointer>
#include <QWebEngineView>

class ViewHost;

// The Qt WebEngine view inside a WebView. Its context menu offers the
// developer tools when the host's debug menu is on (the client profile's
// Debug is "true") and is suppressed otherwise.
class BrowserWidget : public QWebEngineView
{
    Q_OBJECT
public:
    BrowserWidget(ViewHost& host, QWidget* parent = nullptr);

    // Context menu command ids.
    static constexpr int ShowDevTools = 26500;
    static constexpr int CloseDevTools = 26501;
    static constexpr int InspectElement = 26502;

    void showDevTools();
    void closeDevTools();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    ViewHost& m_host;
    QPointer<QWebEngineView> m_devTools;
};
