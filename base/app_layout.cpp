#include "app_layout.h"

#include "application_folder.h"
#include "private_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <optional>

namespace {

QString joined(const QString& folder, const QString& name)
{
    return folder.isEmpty() ? QString() : QDir(folder).filePath(name);
}

// An XDG base folder: the variable when it holds an absolute path, else
// the default below HOME; "" without either.
QString xdgBase(const QProcessEnvironment& environment, const char* variable, const char* belowHome)
{
    const QString value = environment.value(QLatin1String(variable));
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    const QString home = environment.value(QStringLiteral("HOME"));
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        return QString();
    return QDir::cleanPath(home + QLatin1Char('/') + QLatin1String(belowHome));
}

QString orvantaBelow(const QString& base)
{
    return base.isEmpty() ? QString() : base + QStringLiteral("/orvanta");
}

// The prefix an installed program runs below: programFolder without its
// relative bin (or helper) folder, when the prefix's data folder holds the
// marker.
std::optional<QString> installPrefix(const QString& programFolder, const InstallFolders& folders)
{
    for (const QString& relative : {folders.bin, folders.helpers}) {
        const QString tail = QLatin1Char('/') + QDir::cleanPath(relative);
        if (relative.isEmpty() || !programFolder.endsWith(tail))
            continue;
        QString prefix = programFolder.left(programFolder.size() - tail.size());
        if (prefix.isEmpty())
            prefix = QStringLiteral("/");
        const QFileInfo marker(QDir(prefix).filePath(folders.data + QLatin1Char('/') + QLatin1String(kInstalledMarker)));
        if (marker.isFile())
            return prefix;
    }
    return std::nullopt;
}

QMutex& layoutMutex()
{
    static QMutex mutex;
    return mutex;
}

std::optional<AppLayout>& storedLayout()
{
    static std::optional<AppLayout> layout;
    return layout;
}

} // namespace

QString AppLayout::dataFile(const QString& name) const
{
    return joined(dataFolder, name);
}

QString AppLayout::userFile(const QString& name) const
{
    return joined(userFolder, name);
}

QString AppLayout::stateFile(const QString& name) const
{
    return joined(stateFolder, name);
}

InstallFolders configuredInstallFolders()
{
#if defined(ORVANTA_INSTALL_BINDIR) && defined(ORVANTA_INSTALL_DATADIR) && defined(ORVANTA_INSTALL_HELPERDIR) \
    && defined(ORVANTA_INSTALL_TRANSPORTDIR)
    return {QStringLiteral(ORVANTA_INSTALL_BINDIR), QStringLiteral(ORVANTA_INSTALL_DATADIR),
            QStringLiteral(ORVANTA_INSTALL_HELPERDIR), QStringLiteral(ORVANTA_INSTALL_TRANSPORTDIR)};
#else
    return {QStringLiteral("bin"), QStringLiteral("share/orvanta"), QStringLiteral("libexec/orvanta"),
            QStringLiteral("lib/orvanta")};
#endif
}

AppLayout layoutFor(const QString& programFolder, const QProcessEnvironment& environment, const InstallFolders& folders)
{
    AppLayout layout;
    layout.programFolder = programFolder.isEmpty() ? QString() : QDir::cleanPath(programFolder);
    const std::optional<QString> prefix =
        layout.programFolder.isEmpty() ? std::nullopt : installPrefix(layout.programFolder, folders);
    if (!prefix) {
        layout.dataFolder = layout.helperFolder = layout.transportFolder = layout.programFolder;
        layout.userFolder = layout.stateFolder = layout.cacheFolder = layout.programFolder;
        return layout;
    }
    const QDir root(*prefix);
    layout.installed = true;
    layout.dataFolder = QDir::cleanPath(root.filePath(folders.data));
    layout.helperFolder = QDir::cleanPath(root.filePath(folders.helpers));
    layout.transportFolder = QDir::cleanPath(root.filePath(folders.transport));
    layout.userFolder = orvantaBelow(xdgBase(environment, "XDG_CONFIG_HOME", ".config"));
    layout.stateFolder = orvantaBelow(xdgBase(environment, "XDG_STATE_HOME", ".local/state"));
    layout.cacheFolder = orvantaBelow(xdgBase(environment, "XDG_CACHE_HOME", ".cache"));
    return layout;
}

QString xdgConfigHome(const QProcessEnvironment& environment)
{
    return xdgBase(environment, "XDG_CONFIG_HOME", ".config");
}

const AppLayout& appLayout()
{
    QMutexLocker lock(&layoutMutex());
    std::optional<AppLayout>& stored = storedLayout();
    if (!stored) {
        // Before an application object exists the program's folder is not
        // known: answer an empty portable layout and decide later.
        const QString folder = applicationFolder();
        if (folder.isEmpty()) {
            static const AppLayout none;
            return none;
        }
        stored = layoutFor(folder, QProcessEnvironment::systemEnvironment());
    }
    return *stored;
}

void setAppLayout(const AppLayout& layout)
{
    QMutexLocker lock(&layoutMutex());
    storedLayout() = layout;
}

bool prepareUserFolders(const AppLayout& layout, QString* why)
{
    if (!layout.installed)
        return true;
    for (const QString& folder : {layout.userFolder, layout.stateFolder, layout.cacheFolder}) {
        if (folder.isEmpty()) {
            if (why)
                *why = QStringLiteral("no home folder: HOME is not set");
            return false;
        }
        const QString parent = QFileInfo(folder).absolutePath();
        if (!QDir().mkpath(parent)) {
            if (why)
                *why = QStringLiteral("cannot create %1").arg(parent);
            return false;
        }
        if (!ensurePrivateFolder(folder, why))
            return false;
    }
    return true;
}

void prepareDemoDeviceSet(const AppLayout& layout)
{
    if (!layout.installed || qEnvironmentVariableIsSet("ORVANTA_DEVICES") || layout.stateFolder.isEmpty())
        return;
    const QString copy = layout.stateFile(QStringLiteral("devices.json"));
    const QFileInfo existing(copy);
    if (!existing.exists() && !existing.isSymLink()) {
        if (QFile::copy(layout.dataFile(QStringLiteral("devices.json")), copy))
            QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    qputenv("ORVANTA_DEVICES", QFile::encodeName(copy));
}

bool prepareAppLayout(QString* why)
{
    const AppLayout& layout = appLayout();
    const bool prepared = prepareUserFolders(layout, why);
    if (prepared)
        prepareDemoDeviceSet(layout);
    return prepared;
}
