#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The firmware images this process has seen a trusted package put in place.
// A firmware image is flashed only when its bytes are those a trusted
// package wrote under its name: "ExecuteUpdate--" names a file, and a file
// put there any other way (or changed since) is refused. Kept in memory
// only: after a restart the package is unpacked again. Thread-safe (the
// downloads unpack on their own threads).
namespace VerifiedImages {

// Remembers the content of every file of `paths` that is shaped like a
// firmware image (its size and first words).
void recordInstalled(const QStringList &paths);

// Whether `bytes` are what a trusted package put at `path`. A match is
// used up: each unpacked image is flashed once.
bool take(const QString &path, const QByteArray &bytes);

// Forgets everything (tests).
void clear();

} // namespace VerifiedImages
