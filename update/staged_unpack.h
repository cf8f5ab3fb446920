#pragma once

#include <QString>

// Unpacks the package at packagePath into a new staging folder beside
// `folder` (a fresh name, mode 0700) and, when every file is written, puts
// it in place of `folder`: whatever was there before (a folder, a file or a
// link) goes, removed without following links. Nothing that was in `folder`
// before is kept, so only what the package holds is ever found there.
// On failure the staging folder goes and `folder` is left as it was. The
// package file is kept. The folder above `folder` must exist.
bool unpackReplacingFolder(const QString &packagePath, const QString &folder, QString *error = nullptr);
