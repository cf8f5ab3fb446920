// The supported interfaces as the hidraw transport lists them: from a fake
// sysfs tree only (descriptors written by hand, see hidraw_fixtures.h).
#include <QtTest>

#include "fake_sysfs.h"
#include "hidraw_fixtures.h"
#include "sysfs_hid.h"

class HidrawSysfsTest : public QObject
{
    Q_OBJECT

private slots:
    void vendorInterfacesAreListedAndTheRestIsNot()
    {
        FakeSysfs sysfs;
        QVERIFY(sysfs.isValid());
        // A 258a:0029-like mouse: plain mouse on interface 0, keyboard,
        // consumer and vendor collections on interface 1.
        sysfs.addInterface(0, "1-1", 0, 0x258A, 0x0029, HidrawFixtures::mouseInterface0(), "0910");
        sysfs.addInterface(1, "1-1", 1, 0x258A, 0x0029, HidrawFixtures::mouseInterface1(), "0910");
        // A 25a7 W1 mouse.
        sysfs.addInterface(2, "1-2", 1, 0x25A7, 0xFA07, HidrawFixtures::w1Interface1(), "0102", "W1 Mouse");
        // A keyboard's typing interface, and another maker's vendor interface.
        sysfs.addInterface(3, "1-3", 0, 0x258A, 0x0049, HidrawFixtures::keyboardTyping());
        sysfs.addInterface(4, "1-4", 1, 0x046D, 0xC077, HidrawFixtures::mouseInterface1());

        const SysfsScan scan = scanHidraw(sysfs.root());
        QCOMPARE(scan.interfaces.size(), 2);
        const HidInterface& mouse = scan.interfaces.at(0);
        QCOMPARE(mouse.node, QString("hidraw1"));
        QCOMPARE(mouse.devicePath, QString("/dev/hidraw1"));
        QCOMPARE(mouse.uevent.vendor, quint16(0x258A));
        QCOMPARE(mouse.uevent.product, quint16(0x0029));
        QCOMPARE(mouse.uevent.name, QString("Test Mouse"));
        QCOMPARE(mouse.uevent.phys, QString("usb-0000:00:14.0-1/input1"));
        QCOMPARE(mouse.interfaceNumber, 1);
        QCOMPARE(mouse.firmware, QString("0910"));
        QCOMPARE(mouse.vendorCollections(), QVector<int>{2});
        QCOMPARE(mouse.descriptorHash.size(), 64);

        const HidInterface& w1 = scan.interfaces.at(1);
        QCOMPARE(w1.uevent.vendor, quint16(0x25A7));
        QCOMPARE(w1.firmware, QString("0102"));
        QCOMPARE(w1.vendorCollections(), (QVector<int>{0, 1}));
        QCOMPARE(w1.uevent.name, QString("W1 Mouse"));

        // The plain mouse and the typing interface are named as skipped,
        // the other maker's device not at all.
        QCOMPARE(scan.skipped.size(), 2);
        QVERIFY(scan.skipped.at(0).startsWith("hidraw0: no vendor collection"));
        QVERIFY(scan.skipped.at(1).startsWith("hidraw3: no vendor collection"));
    }

    void brokenNodesAreSkippedWithTheirReason()
    {
        FakeSysfs sysfs;
        sysfs.addInterface(1, "1-1", 1, 0x258A, 0x1007, QByteArray::fromHex("0600ff0901a10185"));
        sysfs.addInterface(2, "1-2", 1, 0x258A, 0x1007, QByteArray(5000, '\x05'));
        sysfs.addRawNode(3, "HID_ID=garbage\n", HidrawFixtures::mouseInterface1());
        sysfs.addRawNode(4, "HID_ID=0003:0001258A:00000029\n", HidrawFixtures::mouseInterface1());
        // No HID_PHYS: nothing to know the device by across replugs.
        sysfs.addRawNode(5, "HID_ID=0003:0000258A:00000029\nHID_NAME=x\n", HidrawFixtures::mouseInterface1());
        // A name that is not a hidraw node is not looked at.
        QDir().mkpath(sysfs.root() + "/class/hidraw/notanode");
        // Two interfaces of one device, both vendor, listed in physical order;
        // without bcdDevice the firmware is unknown.
        sysfs.addInterface(7, "1-6", 2, 0x258A, 0x1007, HidrawFixtures::mouseInterface1());
        sysfs.addInterface(6, "1-6", 1, 0x258A, 0x1007, HidrawFixtures::w1Interface1());

        const SysfsScan scan = scanHidraw(sysfs.root());
        QStringList nodes;
        for (const HidInterface& i : scan.interfaces)
            nodes << i.node;
        QCOMPARE(nodes, QStringList({"hidraw6", "hidraw7"}));
        QVERIFY(scan.interfaces.at(0).firmware.isEmpty());
        QCOMPARE(scan.interfaces.at(1).interfaceNumber, 2);
        const QString skipped = scan.skipped.join('\n');
        QVERIFY2(skipped.contains("hidraw1: malformed report descriptor"), qPrintable(skipped));
        QVERIFY(skipped.contains("hidraw2: report descriptor over 4096 bytes"));
        QVERIFY(skipped.contains("hidraw3: no readable HID_ID"));
        QVERIFY(skipped.contains("hidraw5: no HID_PHYS"));
        QVERIFY(skipped.contains("hidraw4: no readable HID_ID")); // a vendor id over 16 bits
        QVERIFY(!skipped.contains("notanode"));

        QVERIFY(scanHidraw(sysfs.root() + "/missing").interfaces.isEmpty());
    }

    void ueventsAndPhysicalPathsAreReadStrictly()
    {
        HidUevent u;
        QVERIFY(parseHidUevent("HID_NAME=Mouse\nHID_ID=0003:0000258A:00001007\nHID_PHYS=usb-x/input1\n", &u));
        QCOMPARE(u.bus, quint16(3));
        QCOMPARE(u.product, quint16(0x1007));
        QVERIFY(!parseHidUevent("HID_ID=0003:258A:1007\n", &u));
        QVERIFY(!parseHidUevent("HID_NAME=x\n", &u));
        QCOMPARE(interfaceNumberOf("usb-0000:00:14.0-1/input1"), 1);
        QCOMPARE(interfaceNumberOf("usb-0000:00:14.0-1/input12"), 12);
        QCOMPARE(interfaceNumberOf("usb-0000:00:14.0-1"), -1);
        QCOMPARE(interfaceNumberOf("usb-0000:00:14.0-1/input1x"), -1);
        QVERIFY(isSupportedVendor(0x258A) && isSupportedVendor(0x25A7) && !isSupportedVendor(0x046D));
    }
};

QTEST_GUILESS_MAIN(HidrawSysfsTest)
#include "tst_hidraw_sysfs.moc"
