#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// One record of the device block that dcDevices fills.
struct DeviceBlockRecord {
    QString reportedId;     // offsets 40-53, up to the first NUL
    QString lastVersionNum; // offsets 55-56
    QString serial;         // offsets 57-70
    QString mask;           // offsets 71-72
    QString access;         // offsets 81-96: a real device's access level; empty when emulated
    QString path;           // offset 1085, UTF-16
    QString instanceId;     // offset 1595, UTF-16
};

namespace DeviceBlock {

// The count the library wrote into the first two bytes (0 for a block too
// short to hold it).
int declaredCount(const QByteArray& block);

// The records the block holds. A count over 50, or more records than the
// block's size can hold, is cut to what is there; text fields stop at
// their first NUL or at the end of their field, whichever comes first.
QVector<DeviceBlockRecord> records(const QByteArray& block);

} // namespace DeviceBlock
