#pragma once

#include <QString>
#include <QStringList>

// The hand-over to the updater program, "Updater" in the application
// folder: it replaces the program's files while the program is not running.
namespace UpdaterLaunch {

// "Updater"
QString programName();

// --update=VelkorCloudEngine --down=<package> --deployment=<deployment>
// --version=<version> [--SilentUpgrade], one argument each, so that nothing
// an answer of the upgrade service holds can add arguments of its own.
QStringList arguments(const QString& package, const QString& deployment, const QString& version,
                      bool silent);

// Starts folder/Updater detached, with folder as its working folder, and
// logs "Application Info: executing %1 %2", or, when it cannot start,
// "Application Error: failed to execute %1, working directory: '%2',
// result: %3". folder: the application folder.
bool start(const QString& folder, const QStringList& arguments);

// Starts the updater when the update check scheduled a silent update
// (UpdateValues); called once the program's window and browser are gone.
bool startScheduled(const QString& folder);

// A new updater delivered by an update arrives as "Updater-new": copy it
// over "Updater" (through a temporary file renamed into place, keeping it
// executable), trying up to `attempts` times `intervalMs` apart, then
// delete "Updater-new". False when there was nothing to do or every
// attempt failed.
bool applyPendingReplacement(const QString& folder, int attempts = 30, int intervalMs = 100);

} // namespace UpdaterLaunch
