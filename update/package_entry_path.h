#pragma once

#include <QString>

// Maps the name of a packed file to a path below the target folder.
//
// Names use "/" as separator and empty segments are ignored, so "a//b/c"
// lands in a/b/c. A name that could leave the target folder, or that means
// different things on different systems, is refused: a ".." segment, a
// leading "/" (absolute path), a drive prefix such as "C:", a backslash, a
// NUL character, a segment starting with ':' (a resource path to Qt), or a
// name without any segment. "." segments are dropped.
namespace PackageEntryPath {

// On success `relative` holds the cleaned "/"-joined path.
bool normalize(const QString &name, QString *relative, QString *error = nullptr);

} // namespace PackageEntryPath
