#pragma once

#include "package_payload.h"

#include <QByteArray>
#include <QString>

// Reading and checking update packages without writing anything.

// Reads a whole package file. Fails when the file cannot be read, is not
// longer than the fixed fields, or is too large to be a valid package.
bool readPackageFile(const QString &path, QByteArray *package, QString *error = nullptr);

// Checks the SHA-1 digest, bounds and decodes the LZMA stream, parses the
// payload and checks every file name. On success `payload` holds the files.
bool decodePackage(const QByteArray &package, PackagePayload *payload, QString *error = nullptr);

// readPackageFile() followed by decodePackage(); the file is left in place.
bool inspectPackage(const QString &path, PackagePayload *payload, QString *error = nullptr);
