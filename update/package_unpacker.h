#pragma once

#include "package_payload.h"

#include <QByteArray>
#include <QString>

#include <functional>

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
//
// Below the target folder nothing is ever followed: every folder is opened
// relative to the one above it and every file relative to its folder, none
// of them through a symbolic link, so a link placed there, even while the
// unpacking runs, makes it fail instead of writing elsewhere. Only regular
// files are written.
//
// `refuseFile`, when given, is asked about the absolute path of every file
// before anything is written; when it answers true for one, the package
// writes nothing and fails.
using RefuseFile = std::function<bool(const QString &path)>;

bool unpackPackage(const QString &packagePath, const QString &targetFolder,
                   bool deletePackage = true, QString *error = nullptr,
                   const RefuseFile &refuseFile = RefuseFile());

// The same for a package already in memory.
bool unpackPackageData(const QByteArray &package, const QString &targetFolder,
                       QString *error = nullptr, const RefuseFile &refuseFile = RefuseFile());

// Writes the files of an already decoded payload below `targetFolder` (an
// absolute path, or one relative to the working folder), creating the
// folder and intermediate folders as needed.
bool writePackageFiles(const PackagePayload &payload, const QString &targetFolder,
                       QString *error = nullptr, const RefuseFile &refuseFile = RefuseFile());
