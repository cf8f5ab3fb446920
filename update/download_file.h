#pragma once

#include <QString>

class QFile;

// The file a segmented download writes: its name, the resume rule and the
// way it is opened. Downloaded bytes are hostile, and so is where they
// land: nothing here follows a symbolic link.
namespace DownloadFile {

// A partial file is resumed from the last whole multiple of this size.
constexpr qint64 kResumeBoundary = 102400;

// The last path segment of an address, as /([^/\?]+)(\?|$) captures it;
// "" when nothing matches or the segment is "." or "..".
QString fileNameOf(const QString& address);

// True for an http or https address with a host: the only addresses a
// download fetches (file: and data: would make the downloader a way to copy
// any file the user can read into the program's folder).
bool isWebAddress(const QString& address);

// "file-" followed by a random number: the name of a download whose
// address has none.
QString fallbackName();

// Applies the resume rule to the partial file at path and answers the byte
// count the download goes on from:
//  - no file: 0;
//  - size a multiple of 100 KiB (not 0): the whole size;
//  - otherwise the file is cut to the last multiple of 100 KiB, and deleted
//    when that is 0 (an empty file, or one shorter than 100 KiB);
//  - a file of 2 GiB or more is deleted: 0.
// -1 when the path holds something that is not a regular file (a folder,
// a symbolic link, dangling or not): the download is refused.
qint64 prepareResume(const QString& path);

// Opens path for appending, creating it (mode 0644) when missing. Refuses a
// symbolic link in the last segment, anything that is not a regular file
// and, with `inside` given, a folder that resolves outside it.
bool openForAppend(QFile& file, const QString& path, const QString& inside, QString* error = nullptr);

// Empties the file at path (a server that ignored the range asked for).
bool truncate(QFile& file);

} // namespace DownloadFile
