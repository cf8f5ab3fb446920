#pragma once

#include <QString>

// The desktop session's autostart entry for the program (the freedesktop
// "Desktop Application Autostart" file, $XDG_CONFIG_HOME/autostart/<id>.desktop):
// when it is there the session starts the program with -autostart at login,
// and the window stays in the tray. Written whole and never through a
// symbolic link.
namespace SessionAutostart {

// $XDG_CONFIG_HOME (or ~/.config)/autostart/<appId>.desktop; "" without a
// home.
QString entryPath(const QString& configHome, const QString& appId);

// Whether the entry at path is there and not switched off (Hidden=true or
// X-GNOME-Autostart-enabled=false, as a desktop's own settings may leave
// it).
bool enabled(const QString& path);

// The entry's text for program (an absolute path), quoted as the Exec key
// requires.
QByteArray entryText(const QString& program, const QString& appId);

// Writes the entry (making the autostart folder when missing) or removes
// it. False with the reason in why.
bool enable(const QString& path, const QString& program, const QString& appId, QString* why = nullptr);
bool disable(const QString& path, QString* why = nullptr);

} // namespace SessionAutostart
