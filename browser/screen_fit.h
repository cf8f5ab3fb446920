#pragma once

#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

// Window sizes and places that pages ask for, made ones the screens can
// show: a page may ask for any number, and a window of 40000 pixels (or two
// billion) is one the display cannot even allocate.
namespace ScreenFit {

// The area windows may take: the available geometry of every screen
// together (the virtual desktop less task bars), as seen from the screen
// widget is on, or the primary screen. Null when there is no screen.
QRect availableArea(const QWidget* widget = nullptr);

// nullopt when width or height is 0 or less; otherwise the size limited to
// `limit` (a null limit: no limit beyond what a widget may take).
std::optional<QSize> size(qint64 width, qint64 height, const QSize& limit);

// The rectangle at (x, y) of (width, height), both already positive, with
// its size limited to area and moved as little as needed to lie inside it.
// A null area leaves it as it is, within what a widget may take.
QRect place(qint64 x, qint64 y, int width, int height, const QRect& area);

} // namespace ScreenFit
