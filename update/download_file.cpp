#include "download_file.h"

#include "no_follow_file.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DownloadFile {

namespace {

constexpr qint64 kLargestResumable = 2147483647;  // 2^31 - 1

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

QString fileNameOf(const QString& address)
{
    static const QRegularExpression pattern(QStringLiteral("/([^/\\?]+)(\\?|$)"));
    const QRegularExpressionMatch match = pattern.match(address);
    if (!match.hasMatch())
        return QString();
    const QString name = match.captured(1);
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QString();
    return name;
}

bool isWebAddress(const QString& address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
           && !url.host().isEmpty();
}

QString fallbackName()
{
    return QStringLiteral("file-%1").arg(QRandomGenerator::global()->bounded(1, 1000000000));
}

qint64 prepareResume(const QString& path)
{
    const QByteArray name = native(path);
    struct stat info;
    if (::lstat(name.constData(), &info) != 0)
        return errno == ENOENT ? 0 : -1;
    if (!S_ISREG(info.st_mode))
        return -1;

    const int fd = NoFollowFile::openForWriting(path, 0, QString());
    if (fd < 0)
        return -1;
    // The file that was opened is the one that counts, whatever the name
    // points to by now.
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return -1;
    }
    const qint64 size = info.st_size;
    qint64 count = 0;
    if (size < kLargestResumable) {
        const qint64 rest = size % kResumeBoundary;
        count = size - rest;
        if (rest != 0 && count > 0 && ::ftruncate(fd, static_cast<off_t>(count)) != 0)
            count = 0;
    }
    ::close(fd);
    if (count == 0 && ::unlink(name.constData()) != 0)
        return -1;
    return count;
}

bool openForAppend(QFile& file, const QString& path, const QString& inside, QString* error)
{
    return NoFollowFile::open(file, path, O_CREAT | O_APPEND, QIODevice::WriteOnly | QIODevice::Append, inside,
                              error);
}

bool truncate(QFile& file)
{
    return file.isOpen() && file.flush() && ::ftruncate(file.handle(), 0) == 0;
}

} // namespace DownloadFile
