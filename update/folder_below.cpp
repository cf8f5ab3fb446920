#include "folder_below.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace folder_below {

QString folderOf(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

QByteArray nameOf(const QString &path)
{
    return QFile::encodeName(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
}

int open(int base, const QString &relative, QStringList *created)
{
    int fd = ::dup(base);
    if (relative.isEmpty() || fd < 0)
        return fd;
    QString path;
    for (const QString &segment : relative.split(QLatin1Char('/'))) {
        path += (path.isEmpty() ? QString() : QStringLiteral("/")) + segment;
        const QByteArray native = QFile::encodeName(segment);
        if (created) {
            if (::mkdirat(fd, native.constData(), 0777) == 0) {
                created->append(path);
            } else if (errno != EEXIST) {
                ::close(fd);
                return -1;
            }
        }
        const int next = ::openat(fd, native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        if (next < 0)
            return -1;
        fd = next;
    }
    return fd;
}

} // namespace folder_below
