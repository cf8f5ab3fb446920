#include "popup_table.h"

#include "logging.h"
#include "pop_widget.h"
#include "screen_fit.h"
#include "view_host.h"
#include "web_view.h"

#include <QDebug>

PopupTable::PopupTable(ViewHost& host, QObject* parent)
    : QObject(parent)
    , m_host(host)
{
}

PopupTable::~PopupTable()
{
    qDeleteAll(m_popups);
}

bool PopupTable::open(const QString& url, qint64 width, qint64 height)
{
    const std::optional<QSize> size = ScreenFit::size(width, height, ScreenFit::availableArea().size());
    if (!size) {
        LOG_WARNING(QStringLiteral("Application Error: OpenView refused %1 x %2 for '%3'")
                        .arg(width)
                        .arg(height)
                        .arg(Logger::clipped(url)));
        return false;
    }
    // The pop-up shown is the current one, as it is once the desktop
    // activates it (and even where nothing activates windows).
    if (PopWidget* open = m_popups.value(url)) {
        open->show();
        open->raise();
        open->activateWindow();
        m_current = open;
        return true;
    }
    auto* popup = new PopWidget(m_host, url, size->width(), size->height());
    m_popups.insert(url, popup);
    connect(popup, &PopWidget::activated, this, [this](PopWidget* active) { m_current = active; });
    if (WebView* view = popup->view())
        connect(view, &WebView::jsMessage, this, &PopupTable::jsMessage);
    if (url.contains(QLatin1String("/set.html"))) {
        popup->setWindowFlags(popup->windowFlags() | Qt::WindowStaysOnTopHint);
        popup->showNormal();
    }
    // Over the window it came from, on the screen that window is on.
    if (m_anchor && m_anchor->isVisible()) {
        const QRect over = m_anchor->frameGeometry();
        const QRect placed = ScreenFit::place(over.center().x() - popup->width() / 2,
                                              over.center().y() - popup->height() / 2, popup->width(),
                                              popup->height(), ScreenFit::availableArea(m_anchor));
        popup->move(placed.topLeft());
    }
    popup->show();
    m_current = popup;
    return true;
}

void PopupTable::closeCurrent()
{
    PopWidget* popup = m_current;
    m_current = nullptr;
    if (!popup)
        return;
    qDebug().noquote() << popup->url();
    for (auto it = m_popups.begin(); it != m_popups.end();) {
        if (it.value() == popup)
            it = m_popups.erase(it);
        else
            ++it;
    }
    if (WebView* view = popup->view())
        m_host.viewClosing(view);
    popup->hide();
    popup->deleteLater();
}
