#pragma once

#include "focus_source.h"

#include <QProcessEnvironment>

#include <memory>

// The source that can tell which window is in front on this desktop:
// - ORVANTA_FOCUS_SOURCE=x11|kwin|gnome|dbus|none chooses one;
// - a Wayland session (WAYLAND_DISPLAY, or XDG_SESSION_TYPE=wayland): KWin
//   through its script on KDE Plasma, GNOME Shell through its extension on
//   GNOME; elsewhere the X programs of XWayland (the other compositors keep
//   the front window to themselves), or none without XWayland;
// - an X11 session (DISPLAY): the X server, whatever the desktop;
// - else none.
// The KWin script is written into the private runtime folder.
std::unique_ptr<FocusSource> focusSourceFor(const QProcessEnvironment& environment);
