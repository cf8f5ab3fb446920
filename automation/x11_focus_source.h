#pragma once

#include "focus_source.h"

#include <QHash>

#include <cstdint>
#include <memory>

class QSocketNotifier;
struct xcb_connection_t;

// The window in front on an X server (and the XWayland windows of a
// Wayland desktop, where it keeps their X properties): the root window's
// _NET_ACTIVE_WINDOW, read again each time the window manager changes it,
// and that window's WM_CLASS (its class), _NET_WM_NAME or WM_NAME (its
// title, followed while it is in front) and _NET_WM_PID. A desktop window
// (_NET_WM_WINDOW_TYPE_DESKTOP) or none counts as the desktop.
//
// It uses a connection of its own, read in the GUI thread when the X
// server has something to say. Every reply is checked: a window that is
// gone by the time it is asked about counts as none, and a lost connection
// ends the watching with its reason.
class X11FocusSource : public FocusSource
{
    Q_OBJECT
public:
    // All windows of an X session, or only the X programs of a Wayland
    // compositor's XWayland (its native windows count as none in front).
    enum class Scope { Session, XWayland };

    // display: as DISPLAY; "" takes DISPLAY.
    explicit X11FocusSource(const QString& display = QString(), Scope scope = Scope::Session, QObject* parent = nullptr);
    ~X11FocusSource() override;

    QString name() const override { return m_scope == Scope::XWayland ? QStringLiteral("xwayland") : QStringLiteral("x11"); }
    bool start() override;
    QString reason() const override { return m_reason; }
    QStringList runningClasses() const override;

    // The window in front now, read from the server.
    FocusedWindow current();

private:
    void readEvents();
    void report();
    void follow(uint32_t window);
    void lost(const QString& why);
    uint32_t atom(const char* name) const;
    uint32_t activeWindow();
    FocusedWindow describe(uint32_t window);
    QString windowClass(uint32_t window) const;

    QString m_display;
    Scope m_scope;
    xcb_connection_t* m_connection = nullptr;
    uint32_t m_root = 0;
    uint32_t m_followed = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    mutable QHash<QByteArray, uint32_t> m_atoms;
    QString m_reason;
    FocusedWindow m_last;
    bool m_reported = false;
};
