#pragma once

#include <QString>
#include <QVector>

class InputDeviceEnumerator;

// One keyboard or pointing device of the system.
struct InputDeviceEntry {
    QString type;          // "mouse" or "keyboard"
    QString vendor;        // four upper-case hexadecimal digits; "ACPI" for a legacy port device
    QString product;       // four upper-case hexadecimal digits; "0F0E" or "0303" for a legacy port device
    int interfaceNumber = -1; // USB interface number; -1 when the device has none
    QString devicePath;    // the input device's udev device path ("/devices/.../input/input7")
    QString usbDevicePath; // node of the USB device it belongs to ("/dev/bus/usb/001/004"); empty when none

    bool operator==(const InputDeviceEntry &other) const;
};

struct InputInventory {
    QVector<InputDeviceEntry> entries;
    // The USB device paths of the entries that have one, in entry order,
    // joined by ";".
    QString paths;
};

// The keyboards and pointing devices present now, taken once at start-up.
//
// Every input device (the "inputN" node; its event and mouse nodes repeat its
// properties and are skipped) gives an entry of type "mouse" when udev marks
// it as a pointing device (mouse, touchpad or pointing stick) and one of type
// "keyboard" when udev marks it as a keyboard; a device that is both, as a
// gaming keyboard's combined interface often is, gives both entries. Other
// input devices are skipped.
//
// A device on the legacy PS/2 port controller has no USB ids: a pointing
// device there is vendor "ACPI", product "0F0E", a keyboard vendor "ACPI",
// product "0303". Any other device takes the USB vendor and product ids that
// udev found, else those of its bus (Bluetooth, virtual devices), and the
// USB interface number when it has one. Its USB device is the nearest USB
// device above it in the device tree.
InputInventory takeInputInventory(const InputDeviceEnumerator &enumerator);
