#include "input_inventory.h"

#include "input_device_enumerator.h"

#include <QDebug>
#include <QRegularExpression>

namespace {

// Bus type of the legacy keyboard and mouse port controller (BUS_I8042).
constexpr int kBusLegacyPort = 0x11;

const QString kMouse = QStringLiteral("mouse");
const QString kKeyboard = QStringLiteral("keyboard");

bool isSet(const UdevProperties &properties, const char *name)
{
    return properties.value(QLatin1String(name)) == QLatin1String("1");
}

// The last part of a device path: "input7" for ".../input/input7".
QString nodeName(const QString &devpath)
{
    return devpath.mid(devpath.lastIndexOf(QLatin1Char('/')) + 1);
}

QString hexId(const QString &text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    if (!ok || value > 0xFFFF)
        return QString();
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

// The kernel's "PRODUCT" property: bus type, vendor, product and version in
// hexadecimal, joined by "/" ("3/258a/1007/111").
struct ProductIds {
    int bus = -1;
    QString vendor;
    QString product;
};

ProductIds productIds(const UdevProperties &properties)
{
    ProductIds ids;
    const QStringList parts = properties.value(QStringLiteral("PRODUCT")).split(QLatin1Char('/'));
    if (parts.size() < 3)
        return ids;
    bool ok = false;
    const int bus = parts.at(0).toInt(&ok, 16);
    if (ok)
        ids.bus = bus;
    ids.vendor = hexId(parts.at(1));
    ids.product = hexId(parts.at(2));
    return ids;
}

// The nearest USB device above devpath: the longest USB device path that is a
// folder prefix of it (hubs are ancestors too, but further up).
const UdevProperties *usbDeviceOf(const QString &devpath, const QVector<UdevProperties> &usbDevices)
{
    const UdevProperties *nearest = nullptr;
    int nearestLength = -1;
    for (const UdevProperties &usb : usbDevices) {
        const QString usbPath = usb.value(QStringLiteral("DEVPATH"));
        if (usbPath.isEmpty() || !devpath.startsWith(usbPath + QLatin1Char('/')))
            continue;
        if (usbPath.size() > nearestLength) {
            nearest = &usb;
            nearestLength = usbPath.size();
        }
    }
    return nearest;
}

QString usbDevicePathOf(const QString &devpath, const QVector<UdevProperties> &usbDevices)
{
    qDebug().noquote() << QString::asprintf("\n....looking for our HID device (with UP=0x%x and Usage=0x%x)\n", 0u, 0u);
    const UdevProperties *usb = usbDeviceOf(devpath, usbDevices);
    if (!usb) {
        qDebug().noquote() << QStringLiteral("Failure: Could not find our HID device \n");
        return QString();
    }
    const QString node = usb->value(QStringLiteral("DEVNAME"));
    return node.isEmpty() ? QStringLiteral("/sys") + usb->value(QStringLiteral("DEVPATH")) : node;
}

} // namespace

bool InputDeviceEntry::operator==(const InputDeviceEntry &other) const
{
    return type == other.type && vendor == other.vendor && product == other.product
           && interfaceNumber == other.interfaceNumber && devicePath == other.devicePath
           && usbDevicePath == other.usbDevicePath;
}

InputInventory takeInputInventory(const InputDeviceEnumerator &enumerator)
{
    static const QRegularExpression inputNode(QStringLiteral("^input[0-9]+$"));
    InputInventory inventory;
    const QVector<UdevProperties> usbDevices = enumerator.usbDevices();
    QStringList paths;

    for (const UdevProperties &device : enumerator.inputDevices()) {
        const QString devpath = device.value(QStringLiteral("DEVPATH"));
        if (!inputNode.match(nodeName(devpath)).hasMatch())
            continue;
        QStringList types;
        if (isSet(device, "ID_INPUT_MOUSE") || isSet(device, "ID_INPUT_TOUCHPAD")
            || isSet(device, "ID_INPUT_POINTINGSTICK"))
            types.append(kMouse);
        if (isSet(device, "ID_INPUT_KEYBOARD"))
            types.append(kKeyboard);
        if (types.isEmpty())
            continue;

        const ProductIds ids = productIds(device);
        const bool legacyPort = ids.bus == kBusLegacyPort;
        QString vendor = hexId(device.value(QStringLiteral("ID_VENDOR_ID")));
        QString product = hexId(device.value(QStringLiteral("ID_MODEL_ID")));
        if (vendor.isEmpty() || product.isEmpty()) {
            vendor = ids.vendor;
            product = ids.product;
        }
        // USB interface numbers are hexadecimal ("0a" is interface 10).
        bool hasInterface = false;
        const int interfaceNumber = device.value(QStringLiteral("ID_USB_INTERFACE_NUM")).toInt(&hasInterface, 16);

        const QString usbDevicePath = usbDevicePathOf(devpath, usbDevices);
        for (const QString &type : qAsConst(types)) {
            InputDeviceEntry entry;
            entry.type = type;
            if (legacyPort) {
                entry.vendor = QStringLiteral("ACPI");
                entry.product = type == kMouse ? QStringLiteral("0F0E") : QStringLiteral("0303");
            } else {
                entry.vendor = vendor;
                entry.product = product;
                entry.interfaceNumber = hasInterface ? interfaceNumber : -1;
            }
            entry.devicePath = devpath;
            entry.usbDevicePath = usbDevicePath;
            if (!entry.usbDevicePath.isEmpty())
                paths.append(entry.usbDevicePath);
            inventory.entries.append(entry);
        }
    }
    inventory.paths = paths.join(QLatin1Char(';'));
    return inventory;
}
