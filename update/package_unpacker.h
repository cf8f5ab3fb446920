#pragma once

#include "package_payload.h"

#include <QByteArray>
#include <QString>

// Unpacking update packages into a folder.
//
// The package file is read whole and, unless `deletePackage` is false,
// deleted right after reading, whatever happens next: a downloaded package is
// used once. The start-up page package is unpacked with `deletePackage`
// false because it ships with the program.
//
// The package is verified (SHA-1, LZMA stream, payload framing, every file
// name) before anything is written; a package that fails verification writes
// nothing, not even the target folder. A failure while writing (a folder that
// cannot be created, a file that cannot be written) leaves the files already
// written in place.
bool unpackPackage(const QString &packagePath, const QString &targetFolder,
                   bool deletePackage = true, QString *error = nullptr);

// The same for a package already in memory.
bool unpackPackageData(const QByteArray &package, const QString &targetFolder,
                       QString *error = nullptr);

// Writes the files of an already decoded payload below `targetFolder`,
// creating the folder and intermediate folders as needed. Refuses to write
// through a symbolic link found below the target folder.
bool writePackageFiles(const PackagePayload &payload, const QString &targetFolder,
                       QString *error = nullptr);
