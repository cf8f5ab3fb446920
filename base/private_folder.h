#pragma once

#include <QString>

// Folders that only the user running the program can reach. What the
// program trusts (its single-instance socket, the local page copy it serves
// to the pages) must not lie where another user of the machine can create,
// replace or change it.

// Makes path a folder that only this user can reach. A missing folder is
// created with mode 0700 (its parent must exist). An existing one is
// accepted when it is a real folder (not a symbolic link) owned by this
// user; group and other permissions on it are then removed. Anything else
// (a link, a file, another user's folder) is refused, with the reason in
// why.
bool ensurePrivateFolder(const QString& path, QString* why = nullptr);

// True when path is a real folder owned by this user that no one else may
// enter, list or change (no permission bits for group or others).
bool isPrivateFolder(const QString& path);

// The program's own folder for such things, made private on the way:
// "$XDG_RUNTIME_DIR/orvanta" when $XDG_RUNTIME_DIR is set and is a private
// folder of this user, else "<temp>/orvanta-<uid>", else (when another user
// holds that name) "<cache>/orvanta-runtime" under the user's home. "" when
// none of them can be made private.
QString privateRuntimeFolder();
