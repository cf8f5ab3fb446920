#pragma once

#include <QString>

// How the program is installed, as the page commands see it: where its
// shipped data lies, what it may offer (self-update, demo devices) and the
// session autostart entry. The window and orvanta-cli fill it from the
// program's layout; the page session hands it to the commands as it is.
struct Installation {
    // The shipped, read-only files (sounds, and a file the pages read that
    // the user has not written yet), with a trailing "/"; empty: the
    // application folder holds them too (portable).
    QString dataFolder;
    // Installed ("GetInstallation"), and whether the program updates
    // itself (not when a package manager does).
    bool installed = false;
    bool selfUpdate = true;
    // The devices are the emulator's demo devices of an installed program
    // (the pages say so).
    bool demoDevices = false;
    // The session autostart entry ("GetSessionStart", "SetSessionStart"):
    // its path, the program it starts and the application id; an empty
    // path: not offered (orvanta-cli).
    QString autostartEntry;
    QString autostartProgram;
    QString appId;
    // The folder of crash reports ("GetCrashReports"); empty: none.
    QString crashFolder;
};
