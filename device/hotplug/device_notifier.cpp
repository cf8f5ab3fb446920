#include "device_notifier.h"

#include "device_set_watch_source.h"
#include "hotplug_source.h"
#include "udev_hotplug_source.h"

#include "logging.h"

DeviceNotifier::DeviceNotifier(QObject *parent)
    : QObject(parent)
{
}

DeviceNotifier::~DeviceNotifier()
{
    // The sources are children and go with this object; stop them first so
    // that none reports into a half-destroyed notifier.
    stop();
}

DeviceNotifier *DeviceNotifier::createForSystem(QObject *parent)
{
    auto *notifier = new DeviceNotifier(parent);
    notifier->addSource(new UdevHotplugSource);
    notifier->addSource(new DeviceSetWatchSource(DeviceSetWatchSource::defaultFilePath()));
    notifier->start();
    return notifier;
}

void DeviceNotifier::addSource(HotplugSource *source)
{
    if (!source || m_sources.contains(source))
        return;
    source->setParent(this);
    m_sources.append(source);
    connect(source, &HotplugSource::deviceChanged, this, &DeviceNotifier::onDeviceChanged);
    connect(source, &QObject::destroyed, this, [this, source] { m_sources.removeAll(source); });
}

int DeviceNotifier::start()
{
    int watching = 0;
    for (HotplugSource *source : qAsConst(m_sources)) {
        if (source->start()) {
            ++watching;
        } else {
            LOG_WARNING(QStringLiteral("Application Error: device notifications from %1 are not available")
                            .arg(source->description()));
        }
    }
    return watching;
}

void DeviceNotifier::stop()
{
    for (HotplugSource *source : qAsConst(m_sources))
        source->stop();
}

void DeviceNotifier::onDeviceChanged(int kind)
{
    switch (kind) {
    case DeviceChange::Arrival:
        LOG_INFO(QStringLiteral("DBT_DEVICEARRIVAL case"));
        break;
    case DeviceChange::Removal:
        LOG_INFO(QStringLiteral("DBT_DEVICEREMOVECOMPLETE case"));
        break;
    default:
        // Only arrivals and completed removals concern the page.
        return;
    }
    emit signal_devicesChanged(kind);
}
