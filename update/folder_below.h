#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Paths of a package's files inside the folder it is unpacked into: '/'
// separated, already checked to stay inside it. The folders are opened one
// segment after the other from an open descriptor of the target and never
// through a link, so nothing put in the target by someone else leads out.
namespace folder_below {

// The folder part of a relative path ("" for a file at the top).
QString folderOf(const QString &path);
// The last segment, in the file system's encoding.
QByteArray nameOf(const QString &path);
// Opens the folder `relative` below the open folder `base`; -1 when a part
// is missing, not a folder or a link. With `created`, missing folders are
// made (mode 0777 less the umask) and their relative paths appended there,
// outermost first, so that a caller can take them back.
int open(int base, const QString &relative, QStringList *created = nullptr);

} // namespace folder_below
