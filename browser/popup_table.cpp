#include "popup_table.h"

#include "pop_widget.h"
#include "web_view.h"

PopupTable::PopupTable(ViewHost& host, QObject* parent)
    : QObject(parent)
    , m_host(host)
{
}

PopupTable::~PopupTable()
{
    qDeleteAll(m_popups);
}

void PopupTable::open(const QString& url, int width, int height)
{
    if (PopWidget* open = m_popups.value(url)) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    auto* popup = new PopWidget(m_host, url, width, height);
    m_popups.insert(url, popup);
    connect(popup, &PopWidget::activated, this, [this](PopWidget* active) { m_current = active; });
    if (WebView* view = popup->view())
        connect(view, &WebView::jsMessage, this, &PopupTable::jsMessage);
    popup->show();
}

void PopupTable::closeCurrent()
{
    if (m_current)
        m_current->close();
}
