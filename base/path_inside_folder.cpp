#include "path_inside_folder.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool isWithin(const QString& root, const QString& path)
{
    return path == root || path.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'));
}

// The canonical form of the deepest part of path that exists, with the
// rest appended unchanged.
QString resolveExisting(const QString& path)
{
    QString existing = path;
    QString rest;
    while (!existing.isEmpty() && !QFileInfo::exists(existing)) {
        const int slash = existing.lastIndexOf(QLatin1Char('/'));
        if (slash < 0)
            return path;
        rest = existing.mid(slash) + rest;
        existing = existing.left(slash);
    }
    if (existing.isEmpty())
        existing = QStringLiteral("/");
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    if (canonical.isEmpty())
        return path;
    return QDir::cleanPath(canonical + rest);
}

} // namespace

QString resolvedPath(const QString& path)
{
    return resolveExisting(QDir::cleanPath(path));
}

std::optional<QString> pathInsideFolder(const QString& folder, const QString& path, AbsolutePaths mode)
{
    const QString root = QDir::cleanPath(QDir(folder).absolutePath());
    const bool absolute = mode == AbsolutePaths::Accept && QDir::isAbsolutePath(path);
    const QString joined = absolute ? path : root + QLatin1Char('/') + path;
    const QString cleaned = QDir::cleanPath(joined);
    if (!isWithin(root, cleaned))
        return std::nullopt;
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    if (!canonicalRoot.isEmpty() && !isWithin(canonicalRoot, resolveExisting(cleaned)))
        return std::nullopt;
    return cleaned;
}
