#pragma once

#include <QMap>
#include <QString>
#include <QVector>

// One device as udev describes it: its properties by name ("DEVPATH",
// "SUBSYSTEM", "DEVNAME", "PRODUCT", "ID_INPUT_MOUSE", "ID_VENDOR_ID", ...).
using UdevProperties = QMap<QString, QString>;

// The present devices that the keyboard and pointing-device inventory reads.
// The Linux implementation asks udev; tests hand in property maps.
class InputDeviceEnumerator {
public:
    virtual ~InputDeviceEnumerator() = default;
    // Every device of the "input" subsystem.
    virtual QVector<UdevProperties> inputDevices() const = 0;
    // Every USB device (subsystem "usb", device type "usb_device"), hubs
    // included.
    virtual QVector<UdevProperties> usbDevices() const = 0;
    // Every hidraw node, with its USB device's ids and its interface number
    // added as ID_VENDOR_ID, ID_MODEL_ID (four lower-case hexadecimal
    // digits) and ID_USB_INTERFACE_NUM (two digits) where it has them.
    virtual QVector<UdevProperties> hidrawDevices() const { return {}; }
};
