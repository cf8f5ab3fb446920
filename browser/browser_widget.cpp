#include "browser_widget.h"

#include "view_host.h"

#include <QContextMenuEvent>
#include <QMenu>

BrowserWidget::BrowserWidget(ViewHost& host, QWidget* parent)
    : QWebEngineView(parent)
    , m_host(host)
{
}

void BrowserWidget::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_host.debugMenu()) {
        event->accept();
        return;
    }
    QMenu* menu = page()->createStandardContextMenu();
    if (!menu->isEmpty())
        menu->addSeparator();
    menu->addAction(QStringLiteral("Show DevTools"), this, &BrowserWidget::showDevTools);
    menu->addAction(QStringLiteral("Close DevTools"), this, &BrowserWidget::closeDevTools);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Inspect Element"), this, [this]() {
        showDevTools();
        page()->triggerAction(QWebEnginePage::InspectElement);
    });
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void BrowserWidget::showDevTools()
{
    if (!m_devTools) {
        m_devTools = new QWebEngineView(window());
        m_devTools->setWindowFlags(Qt::Window);
        m_devTools->setAttribute(Qt::WA_DeleteOnClose);
        m_devTools->setWindowTitle(QStringLiteral("Dev Tools"));
        m_devTools->resize(900, 600);
        page()->setDevToolsPage(m_devTools->page());
    }
    m_devTools->show();
    m_devTools->raise();
}

void BrowserWidget::closeDevTools()
{
    if (m_devTools)
        m_devTools->close();
}
