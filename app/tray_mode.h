#pragma once

#include <QString>

// The process-wide tray mode: "EnableTray" lets the tray icon restore the
// window, "DisableTray" does not. Empty until the client profile or a page
// sets it. Read and written from the GUI thread only.
QString trayModeText();
void setTrayModeText(const QString &mode);
