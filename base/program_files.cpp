#include "program_files.h"

#include "application_folder.h"
#include "path_inside_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

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
    return file.open(QIODevice::ReadOnly) && isProgramContent(file.read(kProgramContentHeadSize));
}

QString canonicalOrResolved(const QString& path)
{
    return path.isEmpty() ? QString() : resolvedPath(QDir::cleanPath(QDir(path).absolutePath()));
}

// Names Qt itself reads from the program's folder: its configuration, and
// its plugin folders.
bool isQtLoadedName(const QString& relative)
{
    if (relative.section(QLatin1Char('/'), -1) == QLatin1String("qt.conf"))
        return true;
    const int slash = relative.indexOf(QLatin1Char('/'));
    return slash > 0 && isQtPluginFolderName(relative.left(slash));
}

} // namespace

bool isQtPluginFolderName(const QString& name)
{
    // The plugin types of Qt 5 and its modules; Qt looks for each type in a
    // folder of that name on every library path.
    static const QSet<QString> names = {
        QStringLiteral("plugins"), QStringLiteral("platforms"), QStringLiteral("platformthemes"),
        QStringLiteral("platforminputcontexts"), QStringLiteral("imageformats"), QStringLiteral("iconengines"),
        QStringLiteral("styles"), QStringLiteral("generic"), QStringLiteral("xcbglintegrations"),
        QStringLiteral("egldeviceintegrations"), QStringLiteral("bearer"), QStringLiteral("audio"),
        QStringLiteral("mediaservice"), QStringLiteral("playlistformats"), QStringLiteral("printsupport"),
        QStringLiteral("position"), QStringLiteral("geoservices"), QStringLiteral("sqldrivers"),
        QStringLiteral("qmltooling"), QStringLiteral("sensors"), QStringLiteral("sensorgestures"),
        QStringLiteral("texttospeech"), QStringLiteral("webview"), QStringLiteral("designer"),
        QStringLiteral("sceneparsers"), QStringLiteral("renderplugins"), QStringLiteral("geometryloaders"),
        QStringLiteral("renderers"), QStringLiteral("gamepads"), QStringLiteral("canbus"),
        QStringLiteral("virtualkeyboard"), QStringLiteral("wayland-decoration-client"),
        QStringLiteral("wayland-graphics-integration-client"), QStringLiteral("wayland-graphics-integration-server"),
        QStringLiteral("wayland-shell-integration"), QStringLiteral("wayland-inputdevice-integration"),
    };
    return names.contains(name);
}

bool isProgramContent(const QByteArray& head)
{
    return head.startsWith(QByteArray("\x7f" "ELF", 4)) || head.startsWith("#!");
}

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
    // Besides the program's data: the choices that only their own commands
    // make (the access levels of real devices, the update sequences that
    // keep old updates out), which a page writing them directly would undo.
    static const QStringList ownNames = {QStringLiteral("skn.dat"), QStringLiteral("devices.json"),
                                         QStringLiteral("conf.ini"), QStringLiteral("Updater"),
                                         QStringLiteral("Updater-new"), QStringLiteral("hidraw-access.json"),
                                         QStringLiteral("update-sequences.json")};
    if (ownNames.contains(relative) || isQtLoadedName(relative))
        return true;
    return isSharedLibraryName(QFileInfo(file).fileName()) || isExecutableFile(file);
}

bool isProgramFile(const QString& path)
{
    return isProgramFile(applicationFolder(), path);
}

bool refusesProgramWrite(const QString& applicationFolder, const QString& path, const QByteArray& head)
{
    return isProgramContent(head) || isProgramFile(applicationFolder, path);
}
