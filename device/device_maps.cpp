#include "device_maps.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex& mapsMutex()
{
    static QMutex mutex;
    return mutex;
}

DiscoveredDevices& maps()
{
    static DiscoveredDevices current;
    return current;
}

} // namespace

namespace DeviceMaps {

void replace(const DiscoveredDevices& found)
{
    QMutexLocker lock(&mapsMutex());
    maps() = found;
}

DeviceMap devices()
{
    QMutexLocker lock(&mapsMutex());
    return maps().devices;
}

DeviceMap readable()
{
    QMutexLocker lock(&mapsMutex());
    return maps().readable;
}

QJsonObject deviceRecord(const QString& key)
{
    QMutexLocker lock(&mapsMutex());
    return maps().devices.value(key);
}

} // namespace DeviceMaps
