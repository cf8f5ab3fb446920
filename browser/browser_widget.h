#pragma once

#include <QPointer>
#include <QWebEngineView>

// The Qt WebEngine view inside a WebView. Its context menu offers the
// developer tools when the client profile's Debug is "true" and is
// suppressed otherwise.
class BrowserWidget : public QWebEngineView
{
    Q_OBJECT
public:
    using QWebEngineView::QWebEngineView;

    // Context menu command ids.
    static constexpr int ShowDevTools = 26500;
    static constexpr int CloseDevTools = 26501;
    static constexpr int InspectElement = 26502;

    void showDevTools();
    void closeDevTools();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QPointer<QWebEngineView> m_devTools;
};
