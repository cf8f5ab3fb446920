#include "staged_unpack.h"

#include "folder_removal.h"
#include "package_unpacker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Removes what a name holds: a folder with its content, or a file or link
// itself.
bool removeEntry(const QString &path, QString *error)
{
    struct stat info;
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &info) != 0)
        return errno == ENOENT;
    if (S_ISDIR(info.st_mode))
        return removeFolderTree(path, error);
    if (::unlink(native.constData()) == 0)
        return true;
    setError(error, QStringLiteral("cannot remove %1").arg(path));
    return false;
}

} // namespace

bool unpackReplacingFolder(const QString &packagePath, const QString &folder, QString *error)
{
    const QFileInfo target(QDir::cleanPath(folder));
    const QString parent = target.absolutePath();
    const QString name = target.fileName();
    if (name.isEmpty() || !QFileInfo(parent).isDir()) {
        setError(error, QStringLiteral("no folder to put %1 in").arg(folder));
        return false;
    }
    QByteArray staging = QFile::encodeName(parent + QStringLiteral("/.") + name + QStringLiteral("-XXXXXX"));
    if (!::mkdtemp(staging.data())) {
        setError(error, QStringLiteral("cannot create a staging folder in %1: %2")
                            .arg(parent, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    const QString stagingPath = QFile::decodeName(staging);
    if (!unpackPackage(packagePath, stagingPath, false, error)) {
        removeFolderTree(stagingPath);
        return false;
    }

    // Swapped in one step where the system can, so the folder is never
    // missing; the old content then sits under the staging name and goes.
    const QByteArray destination = QFile::encodeName(target.absoluteFilePath());
    if (::renameat2(AT_FDCWD, staging.constData(), AT_FDCWD, destination.constData(), RENAME_EXCHANGE) == 0)
        return removeEntry(stagingPath, error);
    QString removal;
    if (!removeEntry(target.absoluteFilePath(), &removal)
        || ::rename(staging.constData(), destination.constData()) != 0) {
        setError(error, QStringLiteral("cannot put the new copy in place of %1 %2")
                            .arg(target.absoluteFilePath(), removal));
        removeFolderTree(stagingPath);
        return false;
    }
    return true;
}
