#include "udev_input_device_enumerator.h"

#include <libudev.h>

namespace {

UdevProperties propertiesOf(struct udev_device *device)
{
    UdevProperties properties;
    struct udev_list_entry *entry = nullptr;
    udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device))
    {
        const char *value = udev_list_entry_get_value(entry);
        properties.insert(QString::fromUtf8(udev_list_entry_get_name(entry)),
                          value ? QString::fromUtf8(value) : QString());
    }
    // Present in the property list on every system, but set here from the
    // device itself so that the inventory can rely on them.
    if (const char *devpath = udev_device_get_devpath(device))
        properties.insert(QStringLiteral("DEVPATH"), QString::fromUtf8(devpath));
    if (const char *devnode = udev_device_get_devnode(device))
        properties.insert(QStringLiteral("DEVNAME"), QString::fromUtf8(devnode));
    return properties;
}

// The ids of the USB device and interface a hidraw node belongs to, read
// from its parents (udev adds them to the node itself only when a rule
// imports them).
void addUsbIds(struct udev_device *device, UdevProperties *properties)
{
    struct udev_device *interface = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_interface");
    struct udev_device *usb = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
    const auto put = [properties](const char *name, struct udev_device *from, const char *attribute) {
        const char *value = from ? udev_device_get_sysattr_value(from, attribute) : nullptr;
        if (value && !properties->contains(QString::fromLatin1(name)))
            properties->insert(QString::fromLatin1(name), QString::fromUtf8(value).trimmed().toLower());
    };
    put("ID_VENDOR_ID", usb, "idVendor");
    put("ID_MODEL_ID", usb, "idProduct");
    put("ID_USB_INTERFACE_NUM", interface, "bInterfaceNumber");
}

QVector<UdevProperties> enumerate(const char *subsystem, const char *devtype)
{
    QVector<UdevProperties> devices;
    struct udev *udev = udev_new();
    if (!udev)
        return devices;
    struct udev_enumerate *enumerate = udev_enumerate_new(udev);
    if (enumerate && udev_enumerate_add_match_subsystem(enumerate, subsystem) >= 0
        && udev_enumerate_scan_devices(enumerate) >= 0) {
        struct udev_list_entry *entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate))
        {
            struct udev_device *device = udev_device_new_from_syspath(udev, udev_list_entry_get_name(entry));
            if (!device)
                continue; // gone between the scan and now
            const char *type = udev_device_get_devtype(device);
            if (!devtype || (type && qstrcmp(type, devtype) == 0)) {
                UdevProperties properties = propertiesOf(device);
                if (qstrcmp(subsystem, "hidraw") == 0)
                    addUsbIds(device, &properties);
                devices.append(properties);
            }
            udev_device_unref(device);
        }
    }
    if (enumerate)
        udev_enumerate_unref(enumerate);
    udev_unref(udev);
    return devices;
}

} // namespace

QVector<UdevProperties> UdevInputDeviceEnumerator::inputDevices() const
{
    return enumerate("input", nullptr);
}

QVector<UdevProperties> UdevInputDeviceEnumerator::usbDevices() const
{
    return enumerate("usb", "usb_device");
}

QVector<UdevProperties> UdevInputDeviceEnumerator::hidrawDevices() const
{
    return enumerate("hidraw", nullptr);
}
