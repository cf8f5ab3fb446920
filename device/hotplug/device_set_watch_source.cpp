#include "device_set_watch_source.h"

#include "app_layout.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

DeviceSetWatchSource::DeviceSetWatchSource(const QString &filePath, QObject *parent)
    : HotplugSource(parent)
    , m_filePath(QFileInfo(filePath).absoluteFilePath())
    , m_rescan(new QTimer(this))
{
    // One rename shows up as a file notice and a folder notice; reading the
    // file once after both is enough.
    m_rescan->setSingleShot(true);
    m_rescan->setInterval(0);
    connect(m_rescan, &QTimer::timeout, this, &DeviceSetWatchSource::rescan);
}

DeviceSetWatchSource::~DeviceSetWatchSource() = default;

QString DeviceSetWatchSource::defaultFilePath()
{
    const QString named = qEnvironmentVariable("ORVANTA_DEVICES");
    if (!named.isEmpty())
        return named;
    return appLayout().stateFile(QStringLiteral("devices.json"));
}

QString DeviceSetWatchSource::description() const
{
    return QStringLiteral("the device set %1").arg(m_filePath);
}

bool DeviceSetWatchSource::start()
{
    if (m_watcher)
        return true;
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QFileInfo(folder).isDir())
        return false;
    m_watcher = new QFileSystemWatcher(this);
    if (!m_watcher->addPath(folder)) {
        stop();
        return false;
    }
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &DeviceSetWatchSource::scheduleRescan);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &DeviceSetWatchSource::scheduleRescan);
    watchFile();
    m_devices = readDeviceSetSnapshot(m_filePath);
    return true;
}

void DeviceSetWatchSource::stop()
{
    m_rescan->stop();
    delete m_watcher;
    m_watcher = nullptr;
    m_devices.clear();
}

void DeviceSetWatchSource::scheduleRescan()
{
    if (m_watcher)
        m_rescan->start();
}

void DeviceSetWatchSource::watchFile()
{
    // A watch on a file ends when the file is replaced or deleted; add it
    // again whenever the file is there and not watched.
    if (m_watcher && QFileInfo::exists(m_filePath) && !m_watcher->files().contains(m_filePath))
        m_watcher->addPath(m_filePath);
}

void DeviceSetWatchSource::rescan()
{
    if (!m_watcher)
        return;
    watchFile();
    const DeviceSetSnapshot now = readDeviceSetSnapshot(m_filePath);
    const DeviceSetChange change = diffDeviceSets(m_devices, now);
    m_devices = now;
    // Removals first: a device entering its boot loader leaves before the
    // boot loader arrives, as on real hardware.
    for (int i = 0; i < change.removed.size() && m_watcher; ++i)
        emit deviceChanged(DeviceChange::Removal);
    for (int i = 0; i < change.arrived.size() && m_watcher; ++i)
        emit deviceChanged(DeviceChange::Arrival);
}
