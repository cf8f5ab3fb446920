#pragma once

#include "focused_window.h"

#include <QObject>
#include <QStringList>

// Where the program learns which window is in front: the X server, KWin
// through its script, GNOME Shell through its extension, or nothing. Lives
// in the GUI thread.
class FocusSource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // "x11", "kwin", "gnome", "none", ...: shown beside the active preset.
    virtual QString name() const = 0;
    // Starts watching. False when this source cannot tell anything here;
    // reason() then says why.
    virtual bool start() = 0;
    // Why the front window is not known ("" while it is): shown to the
    // user as it stands.
    virtual QString reason() const = 0;
    // The classes of the programs with a window now (X11), or of those seen
    // in front since the start (the others); at most kMaxClasses, sorted.
    virtual QStringList runningClasses() const = 0;

    static constexpr int kMaxClasses = 256;

signals:
    // The window now in front (after each change; bursts come as they are).
    void windowActivated(const FocusedWindow& window);
    // reason() changed.
    void reasonChanged();
};
