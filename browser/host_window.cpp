#include "host_window.h"

#include "screen_fit.h"

bool WidgetHostWindow::isMinimized() const
{
    return m_window && m_window->isMinimized();
}

bool WidgetHostWindow::isMaximized() const
{
    return m_window && m_window->isMaximized();
}

QRect WidgetHostWindow::frameGeometry() const
{
    return m_window ? m_window->geometry().marginsRemoved(m_window->contentsMargins()) : QRect();
}

void WidgetHostWindow::restoreTo(const QRect& geometry)
{
    if (!m_window)
        return;
    m_window->showNormal();
    m_window->setGeometry(geometry.marginsAdded(m_window->contentsMargins()));
}

void WidgetHostWindow::moveAndResize(const QRect& geometry)
{
    if (m_window)
        m_window->setGeometry(geometry.marginsAdded(m_window->contentsMargins()));
}

void WidgetHostWindow::minimize()
{
    if (m_window)
        m_window->showMinimized();
}

void WidgetHostWindow::restore()
{
    if (!m_window)
        return;
    m_window->showNormal();
    m_window->activateWindow();
}

QRect WidgetHostWindow::screenArea() const
{
    return ScreenFit::availableArea(m_window);
}
