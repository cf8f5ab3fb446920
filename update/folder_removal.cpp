#include "folder_removal.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxDepth = 256;

void setError(QString *error, const QString &text)
{
    if (error && error->isEmpty())
        *error = text;
}

// Empties the open folder fd (which this function takes over).
bool removeContents(int fd, int depth, const QString &shown, QString *error)
{
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        setError(error, QStringLiteral("cannot read %1").arg(shown));
        return false;
    }
    bool ok = true;
    // Names are gathered first: removing entries while reading the same
    // folder may skip some.
    QList<QByteArray> names;
    while (dirent *entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names << QByteArray(entry->d_name);
    }
    const int dfd = ::dirfd(dir);
    for (const QByteArray &name : qAsConst(names)) {
        const QString child = shown + QLatin1Char('/') + QFile::decodeName(name);
        struct stat info;
        if (::fstatat(dfd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone meanwhile
        if (S_ISDIR(info.st_mode)) {
            if (depth >= kMaxDepth) {
                setError(error, QStringLiteral("%1 lies too deep").arg(child));
                ok = false;
                continue;
            }
            const int sub = ::openat(dfd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0 || !removeContents(sub, depth + 1, child, error)) {
                setError(error, QStringLiteral("cannot empty %1").arg(child));
                ok = false;
                continue;
            }
            if (::unlinkat(dfd, name.constData(), AT_REMOVEDIR) != 0) {
                setError(error, QStringLiteral("cannot remove %1").arg(child));
                ok = false;
            }
        } else if (::unlinkat(dfd, name.constData(), 0) != 0 && errno != ENOENT) {
            setError(error, QStringLiteral("cannot remove %1").arg(child));
            ok = false;
        }
    }
    ::closedir(dir);
    return ok;
}

} // namespace

bool removeFolderTree(const QString &path, QString *error)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info;
    if (path.isEmpty())
        return false;
    if (::lstat(native.constData(), &info) != 0)
        return errno == ENOENT;
    if (S_ISLNK(info.st_mode) || !S_ISDIR(info.st_mode)) {
        setError(error, QStringLiteral("%1 is %2, not a folder: left alone")
                            .arg(path, S_ISLNK(info.st_mode) ? QStringLiteral("a symbolic link")
                                                             : QStringLiteral("a file")));
        return false;
    }
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        setError(error, QStringLiteral("%1 cannot be opened as a folder: left alone").arg(path));
        return false;
    }
    if (!removeContents(fd, 1, path, error))
        return false;
    if (::rmdir(native.constData()) != 0) {
        setError(error, QStringLiteral("cannot remove %1").arg(path));
        return false;
    }
    return true;
}
