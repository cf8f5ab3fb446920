#pragma once

#include "report_descriptor.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// The HID interfaces of supported devices (vendors 0x258A and 0x25A7), read
// from sysfs alone: no device node is opened to list them. Each hidraw node
// gives its uevent (HID_ID, HID_NAME, HID_PHYS, HID_UNIQ) and its report
// descriptor; the USB device above it gives bcdDevice, the firmware
// version. The root is a parameter so that tests read a temporary tree
// (the program passes $ORVANTA_SYSFS_ROOT, else /sys).
//
// An interface is kept when its descriptor parses and has at least one
// collection on a vendor-defined usage page (0xFF00-0xFFFF): a keyboard's
// typing interface or a plain mouse interface never is.

struct HidUevent
{
    quint16 bus = 0;
    quint16 vendor = 0;
    quint16 product = 0;
    QString name;
    QString phys;
    QString uniq;
};

// Reads "KEY=value" lines; false when HID_ID is missing or malformed.
bool parseHidUevent(const QByteArray& text, HidUevent* out);

// The interface number at the end of HID_PHYS ("usb-0000:00:14.0-1/input1"
// gives 1); -1 when there is none.
int interfaceNumberOf(const QString& phys);

bool isSupportedVendor(quint16 vendor);

struct HidInterface
{
    QString node;         // "hidraw3": changes on replug, never a key
    QString devicePath;   // "/dev/hidraw3"
    HidUevent uevent;
    int interfaceNumber = -1;
    QString firmware;     // bcdDevice of the USB device ("0910"); empty when unknown
    QByteArray descriptorHash; // SHA-256 of the report descriptor, hex
    QByteArray descriptorBytes;
    ReportDescriptor descriptor;

    // The indexes of the vendor collections in descriptor.collections.
    QVector<int> vendorCollections() const;
};

struct SysfsScan
{
    QVector<HidInterface> interfaces; // sorted by HID_PHYS
    QStringList skipped;              // "hidraw2: why", for the log and the probe
};

// With withoutVendor, the interfaces of supported devices that have no
// vendor collection are kept too (the probe shows them; the transport never
// lists them).
SysfsScan scanHidraw(const QString& sysfsRoot, bool withoutVendor = false);
