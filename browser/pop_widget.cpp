#include "pop_widget.h"

#include "view_host.h"
#include "web_view.h"

#include <QDir>
#include <QEvent>

PopWidget::PopWidget(ViewHost& host, const QString& url, int width, int height, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_host(host)
    , m_url(url)
    , m_viewName(normalisedViewName(url))
    , m_width(width)
    , m_height(height)
{
    resize(width, height);
    m_view = new WebView(host, QUrl(url), m_viewName, this);
    m_view->resize(width, height);
    m_view->setFocus();
    installEventFilter(this);
    m_host.setHostWindow(this);
}

QString PopWidget::normalisedViewName(const QString& url)
{
    QString name = QDir::cleanPath(url);
    const int http = name.indexOf(QLatin1String("http"));
    if (http >= 0) {
        name = name.mid(http);
        const int collapsed = name.indexOf(QLatin1String("http:/"));
        if (collapsed >= 0 && name.mid(collapsed, 7) != QLatin1String("http://"))
            name.replace(collapsed, 6, QStringLiteral("http://"));
    }
    return name;
}

bool PopWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::WindowActivate) {
        m_host.setCurrentListener(m_view);
        m_host.setHostWindow(this);
        emit activated(this);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PopWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_view->resize(size());
}
