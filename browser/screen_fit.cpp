#include "screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// Far beyond any desktop, far within what an int and a widget can hold.
constexpr qint64 kLargest = 1 << 24;

int bounded(qint64 value, qint64 low, qint64 high)
{
    return int(qBound(low, value, high));
}

} // namespace

namespace ScreenFit {

QRect availableArea(const QWidget* widget)
{
    QScreen* screen = widget && widget->window() ? widget->window()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableVirtualGeometry() : QRect();
}

std::optional<QSize> size(qint64 width, qint64 height, const QSize& limit)
{
    if (width <= 0 || height <= 0)
        return std::nullopt;
    const qint64 maxWidth = limit.isValid() && limit.width() > 0 ? limit.width() : kLargest;
    const qint64 maxHeight = limit.isValid() && limit.height() > 0 ? limit.height() : kLargest;
    return QSize(bounded(width, 1, maxWidth), bounded(height, 1, maxHeight));
}

QRect place(qint64 x, qint64 y, int width, int height, const QRect& area)
{
    if (area.isNull() || !area.isValid())
        return QRect(bounded(x, -kLargest, kLargest), bounded(y, -kLargest, kLargest), bounded(width, 1, kLargest),
                     bounded(height, 1, kLargest));
    const int w = bounded(width, 1, area.width());
    const int h = bounded(height, 1, area.height());
    return QRect(bounded(x, area.left(), qint64(area.right()) - w + 1),
                 bounded(y, area.top(), qint64(area.bottom()) - h + 1), w, h);
}

} // namespace ScreenFit
