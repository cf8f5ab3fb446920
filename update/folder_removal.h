#pragma once

#include <QString>

// Deletes a folder with everything in it without ever following a symbolic
// link: links inside are removed as links, and a folder that is itself a
// link (or not a folder at all) is refused and left alone, so the deletion
// can never reach what a link points to. Folders are opened one inside the
// other, so a link swapped in while the deletion runs is not followed
// either. A missing folder counts as deleted. Trees deeper than 256 folders
// are refused part-way rather than followed down without end.
bool removeFolderTree(const QString &path, QString *error = nullptr);
