#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

// What the devices of an emulator device-set file look like from the
// program's side: one identity text per device that is plugged in.
//
// A device is an entry of the file's "devices" array. It is plugged in unless
// its "present" member is false. Its identity is its position in the array
// together with what enumeration shows of it: in the boot loader only the
// boot-loader device, otherwise its vendor and product ids, its reported id
// and its interfaces. The emulator rewrites the file after every successful
// device write, but such a write changes only stored settings, which are not
// part of the identity, so it is no device change. A device that starts
// showing something else (entering or leaving the boot loader) is a removal
// of the old identity and an arrival of the new one, as a re-enumeration on
// real hardware would be.
//
// A file that is missing or is not a JSON object holds no devices, which is
// how the emulator itself reads it.
using DeviceSetSnapshot = QSet<QString>;

DeviceSetSnapshot deviceSetSnapshot(const QByteArray &json);
// Reads the file; a file that cannot be read gives the empty snapshot.
DeviceSetSnapshot readDeviceSetSnapshot(const QString &filePath);

// The identities that left (in before, not in after) and arrived (in after,
// not in before), each sorted so that the order of notices is stable.
struct DeviceSetChange {
    QStringList removed;
    QStringList arrived;
};
DeviceSetChange diffDeviceSets(const DeviceSetSnapshot &before, const DeviceSetSnapshot &after);
