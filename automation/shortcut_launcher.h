#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Starts what a "shortcut" command names on a Linux desktop.
//   "mail"          xdg-email (the desktop's mail composer), else the
//                   "mailto:" handler
//   "calculatrice"  the first calculator found (gnome-calculator, kcalc, ...)
//   "notepad"       the first text editor found (gnome-text-editor, gedit, kate, ...)
//   "stikynot"      the first colour tool found (gcolor3, kcolorchooser, ...)
//   anything else   "file:///" and the value, with the default handler
class ShortcutLauncher
{
public:
    // Where programs are looked for and how things are started; tests put
    // recorders here.
    struct System {
        std::function<QString(const QString& program)> findProgram;
        std::function<bool(const QString& program, const QStringList& arguments)> startDetached;
        std::function<bool(const QString& url)> openUrl;
    };

    // PATH lookup, QProcess::startDetached, and QDesktopServices (in the GUI
    // thread) or xdg-open without a GUI application.
    static System systemDefaults();

    explicit ShortcutLauncher(System system = systemDefaults());

    // What the launcher did, for the log and the tests: "start <program>",
    // "open <url>", or "" when nothing could be started.
    QString open(const QString& value);

    // The programs tried for a role word, in order; empty for other words.
    static QStringList candidates(const QString& word);
    // The address opened for a value that names no role.
    static QString fileUrl(const QString& value);

private:
    System m_system;
};
