#pragma once

#include "package_payload.h"

#include <QByteArray>
#include <QString>
#include <QVector>

struct PackageWriteOptions {
    int preset = 6;          // LZMA preset, 0 (fast) .. 9 (small)
    bool endMarker = false;  // end the LZMA stream with an end marker
};

// Builds a package: a readable header text, the SHA-1 digest, the LZMA
// properties, the payload size and the compressed payload. File names are
// stored as given but must pass the unpacker's name check, and at least one
// file is needed, so that every package built here unpacks.
bool buildPackage(const QString &version, const QVector<PackageFile> &files, QByteArray *package,
                  QString *error = nullptr, const PackageWriteOptions &options = PackageWriteOptions());

// buildPackage() and then writes the result to `path` atomically.
bool writePackageFile(const QString &path, const QString &version, const QVector<PackageFile> &files,
                      QString *error = nullptr,
                      const PackageWriteOptions &options = PackageWriteOptions());

// Collects every regular file below `folder` (hidden ones included), named
// by its "/"-separated path relative to `folder`, sorted by name. Folders
// reached through symbolic links are not entered.
bool collectFolderFiles(const QString &folder, QVector<PackageFile> *files, QString *error = nullptr);
