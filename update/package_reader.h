#pragma once

#include "package_payload.h"
#include "package_stream.h"

#include <QByteArray>
#include <QString>

// Reading and checking update packages without writing anything.

// Reads the package at path in one pass, as the unpacker does, and checks
// everything the unpacker checks (digest, LZMA stream, payload framing,
// every file name). On success `payload` holds the version and each file's
// name and size (no content: PackagePayload::bytes stays empty). The file
// is left in place.
bool inspectPackage(const QString &path, PackagePayload *payload, QString *error = nullptr,
                    PackageStreamInfo *info = nullptr);

// The same for a package in memory.
bool inspectPackageData(const QByteArray &package, PackagePayload *payload, QString *error = nullptr,
                        PackageStreamInfo *info = nullptr);
