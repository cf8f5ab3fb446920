#include "private_folder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t kOthersMask = S_IRWXG | S_IRWXO;

void setWhy(QString* why, const QString& text)
{
    if (why)
        *why = text;
}

} // namespace

bool isPrivateFolder(const QString& path)
{
    struct stat info;
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & kOthersMask) == 0;
}

bool ensurePrivateFolder(const QString& path, QString* why)
{
    if (path.isEmpty()) {
        setWhy(why, QStringLiteral("no folder named"));
        return false;
    }
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        setWhy(why, QStringLiteral("cannot create %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    // Whether it was just made or already there, look at what the name is
    // now, without following a link.
    struct stat info;
    if (::lstat(native.constData(), &info) != 0) {
        setWhy(why, QStringLiteral("cannot inspect %1").arg(path));
        return false;
    }
    if (S_ISLNK(info.st_mode) || !S_ISDIR(info.st_mode)) {
        setWhy(why, QStringLiteral("%1 is not a folder").arg(path));
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        setWhy(why, QStringLiteral("%1 belongs to the user %2").arg(path).arg(info.st_uid));
        return false;
    }
    if ((info.st_mode & kOthersMask) != 0 && ::chmod(native.constData(), 0700) != 0) {
        setWhy(why, QStringLiteral("cannot make %1 private").arg(path));
        return false;
    }
    return true;
}

QString privateRuntimeFolder()
{
    // The session's runtime folder is private by definition; check anyway,
    // the variable may be set to anything.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime)) {
        const QString folder = QDir::cleanPath(runtime) + QStringLiteral("/orvanta");
        if (ensurePrivateFolder(folder))
            return folder;
    }
    const QString temporary = QDir::tempPath() + QStringLiteral("/orvanta-%1").arg(::geteuid());
    if (ensurePrivateFolder(temporary))
        return temporary;
    // Another user took the name in the shared temporary folder: the
    // user's own cache folder cannot be taken from them.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty() && QDir().mkpath(cache)) {
        const QString folder = cache + QStringLiteral("/orvanta-runtime");
        if (ensurePrivateFolder(folder))
            return folder;
    }
    return QString();
}
