#include "input_device_enumerator.h"
#include "input_inventory.h"
#include "udev_input_device_enumerator.h"

#include <QTest>

namespace {

class FakeEnumerator : public InputDeviceEnumerator {
public:
    QVector<UdevProperties> input;
    QVector<UdevProperties> usb;
    QVector<UdevProperties> inputDevices() const override { return input; }
    QVector<UdevProperties> usbDevices() const override { return usb; }
};

const QString kHub = QStringLiteral("/devices/pci0000:00/0000:00:14.0/usb1/1-2");
const QString kMouse = kHub + QStringLiteral("/1-2.1");
const QString kKeyboard = kHub + QStringLiteral("/1-2.3");

UdevProperties usbDevice(const QString &devpath, const QString &node)
{
    UdevProperties p{{"DEVPATH", devpath}, {"SUBSYSTEM", "usb"}, {"DEVTYPE", "usb_device"}};
    if (!node.isEmpty())
        p.insert("DEVNAME", node);
    return p;
}

// An input device and the event node below it, which repeats its properties.
QVector<UdevProperties> inputWithEventNode(const QString &devpath, UdevProperties properties)
{
    properties.insert("DEVPATH", devpath);
    properties.insert("SUBSYSTEM", "input");
    UdevProperties event = properties;
    event.insert("DEVPATH", devpath + "/event9");
    event.insert("DEVNAME", "/dev/input/event9");
    return {properties, event};
}

void add(FakeEnumerator &fake, const QVector<UdevProperties> &devices)
{
    fake.input += devices;
}

} // namespace

class TestInputInventory : public QObject {
    Q_OBJECT

private slots:
    void usbDevicesTakeIdsInterfaceAndTheirOwnUsbDevice()
    {
        FakeEnumerator fake;
        // The hub is also above both devices; each must get its own device.
        fake.usb = {usbDevice("/devices/pci0000:00/0000:00:14.0/usb1", "/dev/bus/usb/001/001"),
                    usbDevice(kHub, "/dev/bus/usb/001/002"), usbDevice(kMouse, "/dev/bus/usb/001/005"),
                    usbDevice(kKeyboard, QString())};
        add(fake, inputWithEventNode(kMouse + "/1-2.1:1.1/0003:258A:1007.0004/input/input7",
                                     {{"ID_INPUT", "1"}, {"ID_INPUT_MOUSE", "1"}, {"ID_VENDOR_ID", "258a"},
                                      {"ID_MODEL_ID", "100a"}, {"ID_USB_INTERFACE_NUM", "01"},
                                      {"PRODUCT", "3/258a/100a/111"}}));
        // A gaming keyboard's combined interface is a keyboard and a mouse;
        // interface numbers are hexadecimal.
        add(fake, inputWithEventNode(kKeyboard + "/1-2.3:1.10/0003:258A:0049.0009/input/input12",
                                     {{"ID_INPUT_KEYBOARD", "1"}, {"ID_INPUT_MOUSE", "1"}, {"ID_INPUT_KEY", "1"},
                                      {"ID_VENDOR_ID", "258a"}, {"ID_MODEL_ID", "0049"},
                                      {"ID_USB_INTERFACE_NUM", "0a"}}));
        // Only keys (a power button) or nothing of interest: not listed.
        add(fake, inputWithEventNode("/devices/LNXSYSTM:00/LNXPWRBN:00/input/input3",
                                     {{"ID_INPUT", "1"}, {"ID_INPUT_KEY", "1"}, {"PRODUCT", "19/0/1/0"}}));

        const InputInventory inventory = takeInputInventory(fake);
        const QVector<InputDeviceEntry> expected{
            {"mouse", "258A", "100A", 1, kMouse + "/1-2.1:1.1/0003:258A:1007.0004/input/input7", "/dev/bus/usb/001/005"},
            {"mouse", "258A", "0049", 10, kKeyboard + "/1-2.3:1.10/0003:258A:0049.0009/input/input12",
             "/sys" + kKeyboard},
            {"keyboard", "258A", "0049", 10, kKeyboard + "/1-2.3:1.10/0003:258A:0049.0009/input/input12",
             "/sys" + kKeyboard},
        };
        QCOMPARE(inventory.entries, expected);
        QCOMPARE(inventory.paths, "/dev/bus/usb/001/005;/sys" + kKeyboard + ";/sys" + kKeyboard);
    }

    void devicesWithoutUsbIdsUseTheirPortOrBus()
    {
        FakeEnumerator fake;
        fake.usb = {usbDevice(kMouse, "/dev/bus/usb/001/005")};
        // PS/2 keyboard and touchpad behind the legacy port controller.
        add(fake, inputWithEventNode("/devices/platform/i8042/serio0/input/input2",
                                     {{"ID_INPUT_KEYBOARD", "1"}, {"PRODUCT", "11/1/1/ab41"}}));
        add(fake, inputWithEventNode("/devices/platform/i8042/serio1/input/input5",
                                     {{"ID_INPUT_TOUCHPAD", "1"}, {"PRODUCT", "11/2/7/1b1"}}));
        // A Bluetooth mouse: ids only in the kernel's product text.
        add(fake, inputWithEventNode("/devices/virtual/misc/uhid/0005:046D:B01A.0003/input/input20",
                                     {{"ID_INPUT_MOUSE", "1"}, {"PRODUCT", "5/46d/b01a/3"}}));
        // A path that merely begins like the USB device's is not below it.
        add(fake, inputWithEventNode(kMouse + "0/input/input21", {{"ID_INPUT_POINTINGSTICK", "1"}}));

        const InputInventory inventory = takeInputInventory(fake);
        const QVector<InputDeviceEntry> expected{
            {"keyboard", "ACPI", "0303", -1, "/devices/platform/i8042/serio0/input/input2", ""},
            {"mouse", "ACPI", "0F0E", -1, "/devices/platform/i8042/serio1/input/input5", ""},
            {"mouse", "046D", "B01A", -1, "/devices/virtual/misc/uhid/0005:046D:B01A.0003/input/input20", ""},
            {"mouse", "", "", -1, kMouse + "0/input/input21", ""},
        };
        QCOMPARE(inventory.entries, expected);
        QCOMPARE(inventory.paths, QString());
    }

    void realEnumerationGivesWellFormedEntries()
    {
        // Machines without input devices (CI) list nothing; anything listed
        // must still be well formed.
        const InputInventory inventory = takeInputInventory(UdevInputDeviceEnumerator());
        for (const InputDeviceEntry &entry : inventory.entries) {
            QVERIFY(entry.type == "mouse" || entry.type == "keyboard");
            QVERIFY(entry.devicePath.contains("/input"));
            QVERIFY(entry.vendor == entry.vendor.toUpper());
        }
        QCOMPARE(inventory.paths.isEmpty(), std::none_of(inventory.entries.begin(), inventory.entries.end(),
                                                         [](const InputDeviceEntry &e) {
                                                             return !e.usbDevicePath.isEmpty();
                                                         }));
    }
};

QTEST_GUILESS_MAIN(TestInputInventory)
#include "tst_input_inventory.moc"
