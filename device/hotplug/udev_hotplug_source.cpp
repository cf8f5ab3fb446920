#include "udev_hotplug_source.h"

#include <QSocketNotifier>

#include <libudev.h>

UdevHotplugSource::UdevHotplugSource(QObject *parent)
    : HotplugSource(parent)
{
}

UdevHotplugSource::~UdevHotplugSource()
{
    stop();
}

QString UdevHotplugSource::description() const
{
    return QStringLiteral("udev");
}

int UdevHotplugSource::kindForAction(const QString &action)
{
    if (action == QLatin1String("add"))
        return DeviceChange::Arrival;
    if (action == QLatin1String("remove"))
        return DeviceChange::Removal;
    return 0;
}

bool UdevHotplugSource::start()
{
    if (m_monitor)
        return true;
    m_udev = udev_new();
    if (!m_udev)
        return false;
    // The "udev" group carries events after the daemon has processed them;
    // the "kernel" group would announce nodes before their permissions are set.
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor || udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0
        || udev_monitor_enable_receiving(m_monitor) < 0 || udev_monitor_get_fd(m_monitor) < 0) {
        stop();
        return false;
    }
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UdevHotplugSource::onReadable);
    return true;
}

void UdevHotplugSource::stop()
{
    if (m_notifier) {
        // stop may run inside the notifier's own activation (a receiver of
        // deviceChanged stopping the source): let the event loop delete it.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    m_monitor = nullptr;
    if (m_udev)
        udev_unref(m_udev);
    m_udev = nullptr;
}

void UdevHotplugSource::onReadable()
{
    // The socket is non-blocking: take every queued event, so that one
    // wake-up never leaves a change behind.
    while (m_monitor) {
        struct udev_device *device = udev_monitor_receive_device(m_monitor);
        if (!device)
            break;
        const int kind = kindForAction(QString::fromLatin1(udev_device_get_action(device)));
        udev_device_unref(device);
        if (kind != 0)
            emit deviceChanged(kind);
    }
}
