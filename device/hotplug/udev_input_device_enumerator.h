#pragma once

#include "input_device_enumerator.h"

// Reads the present devices from udev. Properties that the udev daemon adds
// (ID_INPUT_*, ID_VENDOR_ID, ...) come from its database; where no daemon
// runs only the kernel's own properties are there.
class UdevInputDeviceEnumerator : public InputDeviceEnumerator {
public:
    QVector<UdevProperties> inputDevices() const override;
    QVector<UdevProperties> usbDevices() const override;
    QVector<UdevProperties> hidrawDevices() const override;
};
