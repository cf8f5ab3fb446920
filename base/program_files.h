#pragma once

#include <QByteArray>
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
// - what Qt would read from beside the program: a "qt.conf" anywhere below
//   the application folder, and anything inside a folder of the application
//   folder named like one of Qt's plugin folders ("platforms",
//   "imageformats", ...), which Qt searches for plugins;
// - the device-set file that ORVANTA_DEVICES names.
// path is absolute; symbolic links in the part of it that exists are
// resolved first, so a link to one of these files counts as the file. A
// folder is never one of them.
bool isProgramFile(const QString& applicationFolder, const QString& path);

// The same for the running program's application folder.
bool isProgramFile(const QString& path);

// The first bytes of what is about to be written: true when they make the
// file a program whatever its name, an ELF image or a script that names its
// interpreter ("#!"). Judged on the new content, since a name that holds
// nothing yet says nothing.
bool isProgramContent(const QByteArray& head);
constexpr int kProgramContentHeadSize = 4;

// The same rule for a file that is about to be written: its name (as
// isProgramFile judges it) or its new content.
bool refusesProgramWrite(const QString& applicationFolder, const QString& path, const QByteArray& head);

// The folder names below the application folder that Qt searches for its
// plugins, one type a folder.
bool isQtPluginFolderName(const QString& name);
