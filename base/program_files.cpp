#include "program_files.h"

#include "application_folder.h"
#include "path_inside_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool isSharedLibraryName(const QString& name)
{
    return name.endsWith(QLatin1String(".so")) || name.contains(QLatin1String(".so."));
}

bool isExecutableFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    if (info.permissions() & (QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther))
        return true;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(4) == QByteArray("\x7f" "ELF", 4);
}

QString canonicalOrResolved(const QString& path)
{
    return path.isEmpty() ? QString() : resolvedPath(QDir::cleanPath(QDir(path).absolutePath()));
}

} // namespace

bool isProgramFile(const QString& applicationFolder, const QString& path)
{
    if (path.isEmpty())
        return false;
    const QString file = resolvedPath(path);
    if (QFileInfo(file).isDir())
        return false;

    if (QCoreApplication::instance() && file == canonicalOrResolved(QCoreApplication::applicationFilePath()))
        return true;
    const QString deviceSet = qEnvironmentVariable("ORVANTA_DEVICES");
    if (!deviceSet.isEmpty() && file == canonicalOrResolved(deviceSet))
        return true;

    const QString root = canonicalOrResolved(applicationFolder);
    if (root.isEmpty() || !file.startsWith(root + QLatin1Char('/')))
        return false;
    const QString relative = file.mid(root.size() + 1);
    static const QStringList ownNames = {QStringLiteral("skn.dat"), QStringLiteral("devices.json"),
                                         QStringLiteral("conf.ini"), QStringLiteral("Updater"),
                                         QStringLiteral("Updater-new")};
    if (ownNames.contains(relative))
        return true;
    return isSharedLibraryName(QFileInfo(file).fileName()) || isExecutableFile(file);
}

bool isProgramFile(const QString& path)
{
    return isProgramFile(applicationFolder(), path);
}
