#include "no_follow_file.h"

#include "descriptor.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

bool isWithin(const QString& root, const QString& path)
{
    return path == root || path.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'));
}

// An absolute path cut into its folder and its last name, which must be a
// plain name.
bool split(const QString& path, QString* folder, QString* name, QString* error)
{
    if (!path.startsWith(QLatin1Char('/'))) {
        setError(error, QStringLiteral("'%1' is not an absolute path").arg(path));
        return false;
    }
    const QString cleaned = QDir::cleanPath(path);
    const int slash = cleaned.lastIndexOf(QLatin1Char('/'));
    *folder = slash == 0 ? QStringLiteral("/") : cleaned.left(slash);
    *name = cleaned.mid(slash + 1);
    if (name->isEmpty() || *name == QLatin1String(".") || *name == QLatin1String("..")) {
        setError(error, QStringLiteral("'%1' names no file").arg(path));
        return false;
    }
    return true;
}

// Whether the open folder fd, reached as path, is the folder that path
// resolves to and lies inside `inside`.
bool openedInside(int fd, const QString& path, const QString& inside, QString* error)
{
    if (inside.isEmpty())
        return true;
    const QString root = QFileInfo(inside).canonicalFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    struct stat opened;
    struct stat named;
    if (root.isEmpty() || canonical.isEmpty() || ::fstat(fd, &opened) != 0
        || ::stat(native(canonical).constData(), &named) != 0 || opened.st_dev != named.st_dev
        || opened.st_ino != named.st_ino || !isWithin(root, canonical)) {
        setError(error, QStringLiteral("'%1' lies outside '%2'").arg(path, inside));
        return false;
    }
    return true;
}

// Opens the folder path, links on the way followed, checked to lie inside
// `inside`.
int openFolder(const QString& path, const QString& inside, QString* error)
{
    Descriptor fd(::open(native(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) {
        setError(error, QStringLiteral("cannot open the folder '%1': %2").arg(path, systemError()));
        return -1;
    }
    if (!openedInside(fd.get(), path, inside, error))
        return -1;
    return fd.release();
}

// What is at name in the open folder: true with *exists false when
// nothing, true with *exists when a regular file (its mode in *mode),
// false (with the reason) for a link or anything else.
bool plainFileOrNothing(int folder, const QString& name, const QString& shown, bool* exists, mode_t* mode,
                        QString* error)
{
    struct stat info;
    *exists = false;
    if (::fstatat(folder, native(name).constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return true;
        setError(error, QStringLiteral("cannot look at '%1': %2").arg(shown, systemError()));
        return false;
    }
    if (S_ISLNK(info.st_mode)) {
        setError(error, QStringLiteral("'%1' is a symbolic link").arg(shown));
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        setError(error, QStringLiteral("'%1' is not a regular file").arg(shown));
        return false;
    }
    *exists = true;
    if (mode)
        *mode = info.st_mode & 07777;
    return true;
}

bool writeAll(int fd, const char* data, qint64 size)
{
    qint64 written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size_t(size - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

} // namespace

namespace NoFollowFile {

bool makeFolder(const QString& path, const QString& inside, QString* error)
{
    if (!path.startsWith(QLatin1Char('/'))) {
        setError(error, QStringLiteral("'%1' is not an absolute path").arg(path));
        return false;
    }
    // The deepest part of the path that is there; the names below it are
    // made one by one.
    QString existing = QDir::cleanPath(path);
    QStringList missing;
    struct stat info;
    while (::lstat(native(existing).constData(), &info) != 0) {
        if (errno != ENOENT || existing == QLatin1String("/")) {
            setError(error, QStringLiteral("cannot look at '%1': %2").arg(existing, systemError()));
            return false;
        }
        const int slash = existing.lastIndexOf(QLatin1Char('/'));
        missing.prepend(existing.mid(slash + 1));
        existing = slash == 0 ? QStringLiteral("/") : existing.left(slash);
    }
    // The folder `inside` itself may be reached through a link: it is the
    // program's own choice, not a page's.
    const bool isInside = !inside.isEmpty() && existing == QDir::cleanPath(inside);
    if (missing.isEmpty() && !S_ISDIR(info.st_mode) && !isInside) {
        setError(error, S_ISLNK(info.st_mode) ? QStringLiteral("'%1' is a symbolic link").arg(path)
                                              : QStringLiteral("'%1' is not a folder").arg(path));
        return false;
    }
    Descriptor folder(openFolder(existing, inside, error));
    if (!folder.valid())
        return false;
    QString shown = existing;
    for (const QString& name : qAsConst(missing)) {
        shown += (shown.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + name;
        if (name == QLatin1String("..") || name == QLatin1String(".")) {
            setError(error, QStringLiteral("'%1' names no folder").arg(shown));
            return false;
        }
        const QByteArray n = native(name);
        if (::mkdirat(folder.get(), n.constData(), 0777) != 0 && errno != EEXIST) {
            setError(error, QStringLiteral("cannot create the folder '%1': %2").arg(shown, systemError()));
            return false;
        }
        const int next = ::openat(folder.get(), n.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            setError(error, errno == ELOOP ? QStringLiteral("'%1' is a symbolic link").arg(shown)
                                           : QStringLiteral("'%1' is not a folder").arg(shown));
            return false;
        }
        folder.reset(next);
    }
    return true;
}

bool canWrite(const QString& path, const QString& inside, QString* error)
{
    QString folderPath;
    QString name;
    if (!split(path, &folderPath, &name, error))
        return false;
    const Descriptor folder(openFolder(folderPath, inside, error));
    bool exists = false;
    return folder.valid() && plainFileOrNothing(folder.get(), name, path, &exists, nullptr, error);
}

int openForWriting(const QString& path, int extraFlags, const QString& inside, QString* error)
{
    QString folderPath;
    QString name;
    if (!split(path, &folderPath, &name, error))
        return -1;
    const Descriptor folder(openFolder(folderPath, inside, error));
    if (!folder.valid())
        return -1;
    // Truncation waits until the file is known to be a regular one.
    const bool truncate = extraFlags & O_TRUNC;
    const int flags = (extraFlags & ~O_TRUNC) | O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    Descriptor fd(::openat(folder.get(), native(name).constData(), flags, 0644));
    if (!fd.valid()) {
        setError(error, errno == ELOOP ? QStringLiteral("'%1' is a symbolic link").arg(path)
                                       : QStringLiteral("cannot open '%1': %2").arg(path, systemError()));
        return -1;
    }
    struct stat info;
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        setError(error, QStringLiteral("'%1' is not a regular file").arg(path));
        return -1;
    }
    if (truncate && ::ftruncate(fd.get(), 0) != 0) {
        setError(error, QStringLiteral("cannot empty '%1': %2").arg(path, systemError()));
        return -1;
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd.release();
}

bool open(QFile& file, const QString& path, int extraFlags, QIODevice::OpenMode mode, const QString& inside,
          QString* error)
{
    Descriptor fd(openForWriting(path, extraFlags, inside, error));
    if (!fd.valid())
        return false;
    file.setFileName(path);
    if (!file.open(fd.get(), mode, QFileDevice::AutoCloseHandle)) {
        setError(error, file.errorString());
        return false;
    }
    fd.release();
    return true;
}

bool save(const QString& path, const QByteArray& bytes, const QString& inside, QString* error)
{
    QString folderPath;
    QString name;
    if (!split(path, &folderPath, &name, error))
        return false;
    const Descriptor folder(openFolder(folderPath, inside, error));
    if (!folder.valid())
        return false;
    bool exists = false;
    mode_t mode = 0;
    if (!plainFileOrNothing(folder.get(), name, path, &exists, &mode, error))
        return false;

    // A new name of our own beside the file; it is never there already.
    QByteArray temporary;
    Descriptor fd;
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        temporary = ".orvanta-" + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + ".tmp";
        fd.reset(::openat(folder.get(), temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0666));
        if (!fd.valid() && errno != EEXIST)
            break;
    }
    if (!fd.valid()) {
        setError(error, QStringLiteral("cannot write beside '%1': %2").arg(path, systemError()));
        return false;
    }
    if (exists)
        ::fchmod(fd.get(), mode);
    bool ok = writeAll(fd.get(), bytes.constData(), bytes.size()) && ::fsync(fd.get()) == 0;
    QString reason = ok ? QString() : systemError();
    if (::close(fd.release()) != 0 && ok) {
        ok = false;
        reason = systemError();
    }
    if (ok && ::renameat(folder.get(), temporary.constData(), folder.get(), native(name).constData()) != 0) {
        ok = false;
        reason = systemError();
    }
    if (!ok) {
        setError(error, QStringLiteral("cannot write '%1': %2").arg(path, reason));
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return false;
    }
    return true;
}

bool openForReading(QFile& file, const QString& path, QString* error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        if (error)
            *error = QStringLiteral("cannot open %1 as a regular file").arg(path);
        return false;
    }
    return file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
}

} // namespace NoFollowFile
