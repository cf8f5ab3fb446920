#pragma once

#include <QProcessEnvironment>
#include <QString>

// Where the program finds what it ships and keeps what each user writes.
//
// Portable (a build folder, scripts/run, the tests): every folder is the
// program's own folder, as it always was.
//
// Installed (cmake --install, the Debian package): the program runs from
// <prefix>/<bin>, and <prefix>/<data> holds the installed marker file
// (kInstalledMarker). Shipped data is read from <prefix>/<data>, helpers
// from <prefix>/<helpers>, transport libraries from <prefix>/<transport>;
// each user's files live in the XDG folders: settings and page-written
// files in $XDG_CONFIG_HOME/orvanta, the log and the emulator's device set
// in $XDG_STATE_HOME/orvanta, downloads in $XDG_CACHE_HOME/orvanta. The
// relative folders are the ones the build was configured with, so an
// installation works under whatever prefix it was given.
struct AppLayout
{
    bool installed = false;
    QString programFolder;   // the running program's folder
    QString dataFolder;      // shipped, read-only: the pages package, the demo device set, sounds
    QString helperFolder;    // the updater
    QString transportFolder; // the transport libraries
    QString userFolder;      // settings and the files pages write
    QString stateFolder;     // app.log, the emulator's device set
    QString cacheFolder;     // downloads

    // name in the shipped data / the user's folder / the state folder.
    QString dataFile(const QString& name) const;
    QString userFile(const QString& name) const;
    QString stateFile(const QString& name) const;
};

// The name of the file an installation puts into its data folder; its
// presence is what makes a program installed.
constexpr const char* kInstalledMarker = "installed-layout";

// The relative folders below an installation prefix, as the build was
// configured (bin, share/orvanta, libexec/orvanta, lib/<triplet>/orvanta).
struct InstallFolders
{
    QString bin;
    QString data;
    QString helpers;
    QString transport;
};
InstallFolders configuredInstallFolders();

// The layout of a program running from programFolder (a helper from the
// helper folder counts too), with environment giving HOME and the XDG
// variables. A relative XDG value is ignored (the XDG base directory rules
// say so); without HOME the installed user folders are empty.
AppLayout layoutFor(const QString& programFolder, const QProcessEnvironment& environment,
                    const InstallFolders& folders = configuredInstallFolders());

// $XDG_CONFIG_HOME when it is absolute, else ~/.config; "" without a home.
QString xdgConfigHome(const QProcessEnvironment& environment);

// This process's layout: worked out once, from the running program's folder
// and the environment, the first time an application object exists.
const AppLayout& appLayout();
// For tests: the layout appLayout() answers from now on.
void setAppLayout(const AppLayout& layout);

// Makes the user's folders of an installed layout (mode 0700 where they are
// new; an existing one must be a real folder, not a link). Nothing to do
// for a portable one. False with the reason in why.
bool prepareUserFolders(const AppLayout& layout, QString* why = nullptr);

// An installed program on the emulator works on a copy of the demo device
// set in the user's state folder (the shipped one is read-only): copies it
// there when missing and names it in ORVANTA_DEVICES, unless the
// environment names a device set already. Nothing to do when portable.
void prepareDemoDeviceSet(const AppLayout& layout);

// What a program of the installation does once its application object
// exists: the user's folders, then the demo device set. False (with why)
// when the user's folders cannot be made; the program then runs without a
// log file and with files it cannot save.
bool prepareAppLayout(QString* why = nullptr);
