#include "package_unpacker.h"

#include "package_entry_path.h"
#include "package_reader.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cerrno>
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

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// An open descriptor, closed when it goes.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() { reset(); }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

// Opens (creating it when missing) the folder `name` inside the open folder
// `parent`, never through a symbolic link.
int openFolderAt(int parent, const QString &name, const QString &shown, QString *error)
{
    const QByteArray native = QFile::encodeName(name);
    if (::mkdirat(parent, native.constData(), 0777) != 0 && errno != EEXIST) {
        setError(error, QStringLiteral("cannot create folder %1: %2").arg(shown, systemError()));
        return -1;
    }
    const int fd = ::openat(parent, native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        struct stat info;
        if (::fstatat(parent, native.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode))
            setError(error, QStringLiteral("%1 is a symbolic link").arg(shown));
        else
            setError(error, QStringLiteral("%1 exists and is not a folder").arg(shown));
    }
    return fd;
}

// Writes one file inside the open folder `folder`: never through a symbolic
// link, only into a regular file, every byte or fail.
bool writeAt(int folder, const QString &name, const QString &shown, const char *data, quint32 size,
             QString *error)
{
    // O_NONBLOCK: a named pipe placed there must not block the open.
    const Descriptor fd(::openat(folder, QFile::encodeName(name).constData(),
                                 O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
    if (!fd.valid()) {
        if (errno == ELOOP)
            setError(error, QStringLiteral("%1 is a symbolic link").arg(shown));
        else
            setError(error, QStringLiteral("cannot open %1 for writing: %2").arg(shown, systemError()));
        return false;
    }
    struct stat info;
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        setError(error, QStringLiteral("%1 is not a regular file").arg(shown));
        return false;
    }
    if (::ftruncate(fd.get(), 0) != 0) {
        setError(error, QStringLiteral("cannot write %1: %2").arg(shown, systemError()));
        return false;
    }
    quint32 written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd.get(), data + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            setError(error, QStringLiteral("cannot write %1: %2").arg(shown, systemError()));
            return false;
        }
        written += quint32(n);
    }
    return true;
}

// The target folder as an absolute path. Qt reads a path that starts with
// ':' as a resource, so the decision is made here, not by Qt.
QString absoluteFolder(const QString &folder)
{
    if (folder.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(folder);
    return QDir::cleanPath(QDir::currentPath() + QLatin1Char('/') + folder);
}

} // namespace

bool writePackageFiles(const PackagePayload &payload, const QString &targetFolder, QString *error,
                       const RefuseFile &refuseFile)
{
    if (payload.entries.isEmpty()) {
        setError(error, QStringLiteral("package holds no files"));
        return false;
    }
    if (targetFolder.isEmpty()) {
        setError(error, QStringLiteral("no target folder"));
        return false;
    }
    const QString root = absoluteFolder(targetFolder);

    // Resolve every name before touching the disk.
    QVector<QStringList> paths;
    paths.reserve(payload.entries.size());
    for (const PackageEntry &entry : payload.entries) {
        QString relative;
        if (!PackageEntryPath::normalize(entry.name, &relative, error))
            return false;
        if (entry.offset < 0 || qint64(entry.offset) + entry.size > payload.bytes.size()) {
            setError(error, QStringLiteral("file \"%1\" lies outside the payload").arg(entry.name));
            return false;
        }
        if (refuseFile && refuseFile(root + QLatin1Char('/') + relative)) {
            setError(error, QStringLiteral("file \"%1\" may not be written").arg(entry.name));
            return false;
        }
        paths.append(relative.split(QLatin1Char('/')));
    }

    // The target folder itself is the caller's choice and may be reached
    // through links; below it, nothing is.
    if (!QDir().mkpath(root)) {
        setError(error, QStringLiteral("cannot create target folder \"%1\"").arg(targetFolder));
        return false;
    }
    const Descriptor rootFd(::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!rootFd.valid()) {
        setError(error, QStringLiteral("cannot open target folder %1: %2").arg(root, systemError()));
        return false;
    }

    for (int i = 0; i < payload.entries.size(); ++i) {
        const PackageEntry &entry = payload.entries.at(i);
        const QStringList &segments = paths.at(i);
        Descriptor folder(::dup(rootFd.get()));
        QString shown = root;
        for (int s = 0; s + 1 < segments.size() && folder.valid(); ++s) {
            shown += QLatin1Char('/') + segments.at(s);
            const int next = openFolderAt(folder.get(), segments.at(s), shown, error);
            if (next < 0)
                return false;
            folder.reset(next);
        }
        if (!folder.valid()) {
            setError(error, QStringLiteral("cannot open target folder %1: %2").arg(root, systemError()));
            return false;
        }
        if (!writeAt(folder.get(), segments.last(), shown + QLatin1Char('/') + segments.last(),
                     payload.contentData(entry), entry.size, error))
            return false;
    }
    return true;
}

bool unpackPackageData(const QByteArray &package, const QString &targetFolder, QString *error,
                       const RefuseFile &refuseFile)
{
    PackagePayload payload;
    return decodePackage(package, &payload, error) && writePackageFiles(payload, targetFolder, error, refuseFile);
}

bool unpackPackage(const QString &packagePath, const QString &targetFolder, bool deletePackage,
                   QString *error, const RefuseFile &refuseFile)
{
    QByteArray package;
    if (!readPackageFile(packagePath, &package, error))
        return false;
    // A package is used once: it goes as soon as it has been read, whether
    // or not it turns out to be valid.
    if (deletePackage)
        QFile::remove(packagePath);

    PackagePayload payload;
    if (!decodePackage(package, &payload, error))
        return false;
    package.clear();  // keep only the payload in memory while writing
    return writePackageFiles(payload, targetFolder, error, refuseFile);
}
