#pragma once

#include "package_folder_writer.h"

#include <QString>
#include <QVector>

// Moves files that an unpacking staged below a folder of its own into the
// target folder, by rename, all or none: each staged file takes the place of
// the file of its name (in one step, keeping the replaced file's
// permissions) or takes a new name; folders are created as needed. Nothing
// is followed through a symbolic link, and a name in the target that is a
// folder, a link or anything but a regular file fails the install. On any
// failure every step already taken is undone: replaced files come back,
// new files and new folders go, and the target is as it was. The replaced
// files end up in the staging folder, which the caller removes.
//
// staging and target are open folders on the same file system (the staging
// folder sits inside the target); files name each staged file and its
// "/"-separated path in the target, already checked; targetRoot names the
// target in messages. The files
// found unchanged must still be as they were compared (same file, size and
// time), or the install fails before it moves anything.
bool installUnpackedFiles(int staging, int target, const QString &targetRoot, const QVector<StagedFile> &files,
                        const QVector<UnchangedFile> &unchanged = QVector<UnchangedFile>(),
                        QString *error = nullptr);
