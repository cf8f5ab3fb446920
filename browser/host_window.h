#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

// The top-level window that a page moves, sizes and minimises through its
// two shortcut requests. An interface so the query handler can be tested
// without a window manager.
class HostWindow
{
public:
    virtual ~HostWindow() = default;
    virtual bool isMinimized() const = 0;
    virtual bool isMaximized() const = 0;
    virtual QRect frameGeometry() const = 0;
    // Sets the geometry the window returns to and restores it.
    virtual void restoreTo(const QRect& geometry) = 0;
    virtual void moveAndResize(const QRect& geometry) = 0;
    // Minimises without taking the focus.
    virtual void minimize() = 0;
    virtual void restore() = 0;
    // The area the window may take on the screens; null: no limit known.
    virtual QRect screenArea() const { return QRect(); }
};

// A HostWindow over a Qt top-level widget. Geometry is that of the content:
// a frameless window's shadow (its contents margins) is left out, so the
// page's sizes are the sizes it sees. Holds the widget weakly: once it is
// gone every operation does nothing.
class WidgetHostWindow : public HostWindow
{
public:
    explicit WidgetHostWindow(QWidget* window) : m_window(window) {}
    QWidget* widget() const { return m_window; }

    bool isMinimized() const override;
    bool isMaximized() const override;
    QRect frameGeometry() const override;
    void restoreTo(const QRect& geometry) override;
    void moveAndResize(const QRect& geometry) override;
    void minimize() override;
    void restore() override;
    QRect screenArea() const override;

private:
    QPointer<QWidget> m_window;
};
