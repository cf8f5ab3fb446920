#pragma once

#include <QString>

// The program's own files, which pages (and what they download) may never
// delete or overwrite:
// - the running executable, and every executable (a file with an execute
//   permission, or an ELF image) and shared library ("*.so", "*.so.N")
//   anywhere below the application folder;
// - in the application folder itself: the page package "skn.dat", the
//   emulator's device set "devices.json", the local settings "conf.ini"
//   (changed only through the settings commands), the updater "Updater" and
//   its pending replacement "Updater-new";
// - the device-set file that ORVANTA_DEVICES names.
// path is absolute; symbolic links in the part of it that exists are
// resolved first, so a link to one of these files counts as the file. A
// folder is never one of them.
bool isProgramFile(const QString& applicationFolder, const QString& path);

// The same for the running program's application folder.
bool isProgramFile(const QString& path);
