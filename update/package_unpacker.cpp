#include "package_unpacker.h"

#include "folder_removal.h"
#include "package_folder_writer.h"
#include "package_format.h"
#include "package_install.h"
#include "package_stream.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
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

// The folders mkpath would create for `folder`, outermost first.
QStringList missingFolders(const QString &folder)
{
    QStringList missing;
    QString path = folder;
    while (!path.isEmpty() && path != QLatin1String("/")) {
        struct stat info;
        if (::lstat(QFile::encodeName(path).constData(), &info) == 0)
            break;
        missing.prepend(path);
        path = QDir::cleanPath(path + QStringLiteral("/.."));
    }
    return missing;
}

// Makes a fresh hidden folder inside `parent`; its name goes to `name`.
int makeStagingFolder(int parent, QString *name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = QStringLiteral(".unpack-%1").arg(QRandomGenerator::system()->generate(), 8, 36, QLatin1Char('0'));
        const QByteArray native = QFile::encodeName(*name);
        if (::mkdirat(parent, native.constData(), 0700) == 0)
            return ::openat(parent, native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

// Asks refuseFile about every file of the package.
bool allowed(const PackageFolderWriter &writer, const QString &root, const RefuseFile &refuseFile, QString *error)
{
    if (!refuseFile)
        return true;
    QVector<QPair<QString, QByteArray>> files;
    for (const StagedFile &file : writer.files())
        files.append({file.path, file.head});
    for (const UnchangedFile &file : writer.unchanged())
        files.append({file.path, QByteArray()});
    for (const auto &file : qAsConst(files)) {
        if (refuseFile(root + QLatin1Char('/') + file.first, file.second)) {
            setError(error, QStringLiteral("file \"%1\" may not be written").arg(file.first));
            return false;
        }
    }
    return true;
}

bool unpackFrom(PackageSource &source, const QString &targetFolder, QString *error, const RefuseFile &refuseFile,
                PackageCheck *check = nullptr, const QByteArray &tailHash = QByteArray())
{
    if (targetFolder.isEmpty()) {
        setError(error, QStringLiteral("no target folder"));
        return false;
    }
    const QString root = absoluteTargetFolder(targetFolder);
    // The target folder itself is the caller's choice and may be reached
    // through links; below it, nothing is. Folders made here for it go
    // again when the package fails.
    const QStringList made = missingFolders(root);
    auto removeMade = [&made]() {
        for (int i = made.size() - 1; i >= 0; --i)
            ::rmdir(QFile::encodeName(made.at(i)).constData());
    };
    if (!QDir().mkpath(root)) {
        removeMade();
        setError(error, QStringLiteral("cannot create target folder \"%1\"").arg(targetFolder));
        return false;
    }
    const int rootFd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QString stagingName;
    const int stagingFd = rootFd < 0 ? -1 : makeStagingFolder(rootFd, &stagingName);
    if (stagingFd < 0) {
        setError(error, QStringLiteral("cannot make a staging folder in %1: %2").arg(root, systemError()));
        if (rootFd >= 0)
            ::close(rootFd);
        removeMade();
        return false;
    }

    bool ok;
    {
        PackageFolderWriter writer(stagingFd, root, stagingName, rootFd);
        PackageStreamOptions options;
        options.threaded = true;
        options.expectedTailHash = tailHash;
        ok = readPackageStream(source, writer, error, nullptr, options) && allowed(writer, root, refuseFile, error)
             && installUnpackedFiles(stagingFd, rootFd, root, writer.files(), writer.unchanged(), error);
        if (ok && check) {
            QStringList paths;
            for (const StagedFile &file : writer.files())
                paths.append(root + QLatin1Char('/') + file.path);
            for (const UnchangedFile &file : writer.unchanged())
                paths.append(root + QLatin1Char('/') + file.path);
            check->installed(paths);
        }
    }
    ::close(stagingFd);
    ::close(rootFd);
    removeFolderTree(root + QLatin1Char('/') + stagingName);
    if (!ok)
        removeMade();
    return ok;
}

} // namespace

QString absoluteTargetFolder(const QString &folder)
{
    // Qt reads a path that starts with ':' as a resource, so the decision
    // is made here, not by Qt.
    if (folder.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(folder);
    return QDir::cleanPath(QDir::currentPath() + QLatin1Char('/') + folder);
}

bool unpackPackageData(const QByteArray &package, const QString &targetFolder, QString *error,
                       const RefuseFile &refuseFile)
{
    MemoryPackageSource source(package);
    return unpackFrom(source, targetFolder, error, refuseFile);
}

bool unpackPackage(const QString &packagePath, const QString &targetFolder, bool deletePackage,
                   QString *error, const RefuseFile &refuseFile, PackageCheck *check)
{
    const int fd = ::open(QFile::encodeName(packagePath).constData(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        setError(error, QStringLiteral("cannot open %1: %2").arg(packagePath, fd < 0 ? systemError()
                                                                              : QStringLiteral("not a file")));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    if (info.st_size < PackageFormat::kMinimumFileSize || info.st_size > PackageFormat::kMaxPackageFileSize) {
        setError(error, QStringLiteral("%1 is %2 bytes, not the size of a package").arg(packagePath).arg(info.st_size));
        ::close(fd);
        return false;
    }
    // A package is used once: it goes as soon as it is open, whether or
    // not it turns out to be valid; the open descriptor still reads it.
    if (deletePackage)
        QFile::remove(packagePath);
    QByteArray tailHash;
    QString why;
    if (check && !check->admit(fd, info.st_size, &tailHash, &why)) {
        setError(error, why);
        ::close(fd);
        return false;
    }
    FilePackageSource source(fd, info.st_size);
    const bool ok = unpackFrom(source, targetFolder, error, refuseFile, check, tailHash);
    ::close(fd);
    return ok;
}
