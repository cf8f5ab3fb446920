#pragma once

#include <QString>

// Moves every file below a staging folder over the installation, at the
// same relative path. Each file is renamed into place (staging and
// installation are on one file system, so each replacement is atomic); a
// replaced file is first moved aside, and the new file takes over its
// permissions, so that a replaced program stays executable. When any move
// fails, every move done so far is undone: the installation is left as it
// was. backupFolder: an empty folder on the same file system for the files
// moved aside.
bool installStagingFolder(const QString& stagingFolder, const QString& installFolder, const QString& backupFolder,
                        QString* why);
