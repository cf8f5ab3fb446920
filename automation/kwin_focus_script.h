#pragma once

#include <QDBusConnection>
#include <QString>

// The small KWin script that tells this program which window is in front,
// and its loading into a running KWin over D-Bus
// (org.kde.KWin /Scripting org.kde.kwin.Scripting). It works with KWin 5
// (workspace.clientActivated, scripts at /<id>) and KWin 6
// (workspace.windowActivated, scripts at /Scripting/Script<id>).
namespace KWinFocusScript {

// The name KWin knows the script by.
QString pluginName();
// The script's text.
QByteArray text();

// Writes the script into folder and has KWin load and run it (a copy left
// from an earlier run is unloaded first). False, with the reason, when
// KWin is not there or refuses.
bool load(const QDBusConnection& bus, const QString& folder, QString* why);
// Unloads it again; nothing when KWin is gone.
void unload(const QDBusConnection& bus);

} // namespace KWinFocusScript
