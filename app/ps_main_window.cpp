#include "ps_main_window.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

PsMainWindow::PsMainWindow(QWidget* parent)
    : QWidget(parent)
    , m_profile(ShadowProfile::fromResource())
    , m_tile(m_profile.tile())
{
}

void PsMainWindow::setupFrameless()
{
    const QSize content = contentsRect().size();
    m_frameless = true;
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowMaximizeButtonHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    applyLimits();
    resizeContent(content);
}

int PsMainWindow::shadowMargin() const
{
    if (!m_frameless || isMaximized() || isMinimized() || isFullScreen())
        return 0;
    return m_profile.thickness();
}

void PsMainWindow::setContentMinimumSize(const QSize& size)
{
    m_contentMin = size;
    m_contentMax = m_contentMax.expandedTo(size);
    applyLimits();
}

void PsMainWindow::setContentMaximumSize(const QSize& size)
{
    m_contentMax = size;
    m_contentMin = m_contentMin.boundedTo(size);
    applyLimits();
}

void PsMainWindow::resizeContent(const QSize& size)
{
    const int m = shadowMargin();
    resize(size + QSize(2 * m, 2 * m));
}

void PsMainWindow::applyLimits()
{
    const int m = shadowMargin();
    setContentsMargins(m, m, m, m);
    setMinimumSize(m_contentMin + QSize(2 * m, 2 * m));
    // Maximised, the window takes the whole work area whatever the limit.
    if (isMaximized())
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    else
        setMaximumSize(qMin(QWIDGETSIZE_MAX, m_contentMax.width() + 2 * m),
                       qMin(QWIDGETSIZE_MAX, m_contentMax.height() + 2 * m));
}

void PsMainWindow::maximizeToWorkArea()
{
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    showMaximized();
    if (QScreen* s = screen())
        setGeometry(s->availableGeometry());
}

void PsMainWindow::restoreFromMaximized()
{
    showNormal();
    applyLimits();
}

Qt::Edges PsMainWindow::hitTest(const QRect& outer, int margin, int corner, const QPoint& p)
{
    if (margin <= 0 || !outer.contains(p) || outer.marginsRemoved(QMargins(margin, margin, margin, margin)).contains(p))
        return Qt::Edges();
    const int reach = margin + corner;
    Qt::Edges edges;
    if (p.x() < outer.left() + margin || p.x() > outer.right() - margin) {
        edges = p.x() < outer.left() + margin ? Qt::LeftEdge : Qt::RightEdge;
        if (p.y() < outer.top() + reach)
            edges |= Qt::TopEdge;
        else if (p.y() > outer.bottom() - reach)
            edges |= Qt::BottomEdge;
        return edges;
    }
    return p.y() < outer.top() + margin ? Qt::TopEdge : Qt::BottomEdge;
}

void PsMainWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect content = contentsRect();
    painter.fillRect(content, QColor(0x22, 0x25, 0x29));
    const int t = shadowMargin();
    if (t <= 0 || m_tile.isNull())
        return;
    const int s = ShadowProfile::kSquare;
    const QImage h = m_tile.mirrored(true, false);
    const QImage v = m_tile.mirrored(false, true);
    const QImage hv = m_tile.mirrored(true, true);
    const int l = content.left() - t, r = content.right() + 1, top = content.top() - t, b = content.bottom() + 1;
    painter.drawImage(QPoint(l, top), m_tile, QRect(0, 0, t, t));
    painter.drawImage(QPoint(r, top), h, QRect(s - t, 0, t, t));
    painter.drawImage(QPoint(l, b), v, QRect(0, s - t, t, t));
    painter.drawImage(QPoint(r, b), hv, QRect(s - t, s - t, t, t));
    painter.drawImage(QRect(content.left(), top, content.width(), t), m_tile, QRect(t, 0, 1, t));
    painter.drawImage(QRect(content.left(), b, content.width(), t), v, QRect(t, s - t, 1, t));
    painter.drawImage(QRect(l, content.top(), t, content.height()), m_tile, QRect(0, t, t, 1));
    painter.drawImage(QRect(r, content.top(), t, content.height()), h, QRect(s - t, t, t, 1));
}

void PsMainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        applyLimits();
        update();
        emit stateChanged(windowState());
    }
}

void PsMainWindow::mousePressEvent(QMouseEvent* event)
{
    const Qt::Edges edges = hitTest(rect(), shadowMargin(), m_profile.cornerSize(), event->pos());
    if (event->button() == Qt::LeftButton && edges && windowHandle()) {
        windowHandle()->startSystemResize(edges);
        return;
    }
    QWidget::mousePressEvent(event);
}

void PsMainWindow::mouseMoveEvent(QMouseEvent* event)
{
    const Qt::Edges edges = hitTest(rect(), shadowMargin(), m_profile.cornerSize(), event->pos());
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge))
        shape = Qt::SizeFDiagCursor;
    else if (edges == (Qt::TopEdge | Qt::RightEdge) || edges == (Qt::BottomEdge | Qt::LeftEdge))
        shape = Qt::SizeBDiagCursor;
    else if (edges & (Qt::LeftEdge | Qt::RightEdge))
        shape = Qt::SizeHorCursor;
    else if (edges)
        shape = Qt::SizeVerCursor;
    setCursor(shape);
    QWidget::mouseMoveEvent(event);
}
