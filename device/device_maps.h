#pragma once

#include "device_discovery.h"

// The process-wide device map and readable device map: every listing
// replaces both, every lookup gets a copy. Guarded by a mutex, so a copy may
// be taken on any thread.
namespace DeviceMaps {

void replace(const DiscoveredDevices& found);
DeviceMap devices();
DeviceMap readable();
// The record of key in the device map; an empty object when absent.
QJsonObject deviceRecord(const QString& key);

} // namespace DeviceMaps
