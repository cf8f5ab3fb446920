#pragma once

#include <QIODevice>
#include <QString>

class QByteArray;
class QFile;

// Writing files where a page, a download or a dialog names them, without
// ever writing through a symbolic link in the last component of the path:
// a path whose name is a link, dangling or not, is refused, as is anything
// there that is not a regular file. Links in the folders above the name
// are followed; when `inside` is given (a folder, usually the application
// folder), the folder that holds the file must resolve to a place inside
// it. That check is made on the folder actually opened, and the file is
// opened relative to it, so a folder swapped for a link meanwhile gains
// nothing.
//
// Paths are absolute. On a refusal or failure the reason goes to *error.
namespace NoFollowFile {

// Creates the folder path and whatever folders above it are missing, never
// through a symbolic link (a dangling link on the way is refused, not
// followed). An existing path must be a folder that is not a link itself
// (unless it is `inside` itself); with `inside`, it must resolve inside
// that folder.
bool makeFolder(const QString& path, const QString& inside, QString* error = nullptr);

// Whether path could be written as a file now, without creating anything:
// its folder exists (and resolves inside `inside`), its name is a plain
// name, and what is there is a regular file or nothing.
bool canWrite(const QString& path, const QString& inside, QString* error = nullptr);

// Opens path for writing: O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC
// with extraFlags added (O_CREAT, O_APPEND, O_TRUNC; a new file gets mode
// 0644 less the umask), and only when it turns out to be a regular file.
// Answers the descriptor, or -1.
int openForWriting(const QString& path, int extraFlags, const QString& inside, QString* error = nullptr);

// The same into file, which then owns the descriptor; mode is the QFile
// mode to match (WriteOnly, with Append when extraFlags has O_APPEND).
bool open(QFile& file, const QString& path, int extraFlags, QIODevice::OpenMode mode, const QString& inside,
          QString* error = nullptr);

// Opens path for reading, only when its name is not a link and it is a
// regular file (O_NOFOLLOW, then fstat); file then owns the descriptor.
bool openForReading(QFile& file, const QString& path, QString* error = nullptr);

// Makes bytes the whole content of path: they go to a new file beside it,
// are flushed to the disk, and the new file is renamed over the name, so a
// failure (a full disk, say) leaves the old content whole. An existing file
// keeps its permissions. Refused as canWrite() refuses.
bool save(const QString& path, const QByteArray& bytes, const QString& inside, QString* error = nullptr);

} // namespace NoFollowFile
