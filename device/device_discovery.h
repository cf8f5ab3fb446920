#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QVector>

#include "device_block.h"

// Device key to device record, in key order.
using DeviceMap = QMap<QString, QJsonObject>;

// What one listing found: the devices the program configures, and the
// report interfaces whose input reports are read.
struct DiscoveredDevices {
    DeviceMap devices;
    DeviceMap readable;
};

namespace DeviceDiscovery {

// The parts of a HID path: the vendor and product ids, upper-cased and
// joined ("258A0016"), and the collection number. collection is empty
// when the path has no "&col" part.
struct PathParts {
    QString vendorProduct;
    QString collection;
};
PathParts pathParts(const QString& path);

// The keys never listed: receivers and dongles without a configuration of
// their own.
bool isExcludedKey(const QString& key);

// Sorts the block's records into the two maps. A record whose path has no
// collection number is in neither; a later record with the same key
// replaces an earlier one.
DiscoveredDevices classify(const QVector<DeviceBlockRecord>& records);

} // namespace DeviceDiscovery
