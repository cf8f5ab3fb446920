#pragma once

#include <QString>

#include <optional>

// Paths that pages give are relative to the application folder, and must
// stay inside it: a page may read, write, unpack into or start only what
// lies below that folder. path is joined to the folder (a leading "/" does
// not make it absolute: "/x.exe" is the folder's x.exe), unless the mode
// accepts absolute paths, which must then lie inside the folder themselves.
// "..", "." and doubled slashes are resolved, and
// so are symbolic links in the part of the path that exists, so a link
// below the folder that points outside is refused too.
//
// The answer is the cleaned absolute path, or nullopt when it would leave
// the folder. The folder itself counts as inside.
enum class AbsolutePaths { JoinToFolder, Accept };
std::optional<QString> pathInsideFolder(const QString& folder, const QString& path,
                                        AbsolutePaths mode = AbsolutePaths::JoinToFolder);

// path (absolute) with the symbolic links of its existing part resolved and
// the rest appended unchanged: the file a path means, even when it does not
// exist yet.
QString resolvedPath(const QString& path);
