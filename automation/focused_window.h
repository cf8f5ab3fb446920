#pragma once

#include <QMetaType>
#include <QString>

// The window in front, as the desktop tells it: its class (X11's WM_CLASS
// class, a Wayland application id), its title and its process. An empty
// app means no program is in front (the desktop itself, or nothing).
struct FocusedWindow {
    QString app;
    QString title;
    qint64 pid = 0;

    bool isDesktop() const { return app.isEmpty(); }
    bool operator==(const FocusedWindow& o) const { return app == o.app && title == o.title && pid == o.pid; }
    bool operator!=(const FocusedWindow& o) const { return !(*this == o); }

    // What a desktop hands over is cut to these lengths.
    static constexpr int kMaxApp = 256;
    static constexpr int kMaxTitle = 1024;
    static FocusedWindow of(const QString& app, const QString& title, qint64 pid)
    {
        return FocusedWindow{app.left(kMaxApp).trimmed(), title.left(kMaxTitle), pid > 0 ? pid : 0};
    }
};

Q_DECLARE_METATYPE(FocusedWindow)
