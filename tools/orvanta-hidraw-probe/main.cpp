// orvanta-hidraw-probe: describes the HID interfaces of supported devices
// (vendors 258a and 25a7) as the hidraw transport sees them, so that a
// device owner can send a description of a device. It reads sysfs only
// ($ORVANTA_SYSFS_ROOT, else /sys): no device node is opened and nothing is
// ever sent to a device.
//
// For each interface: the hid-recorder lines users know (N: name, P:
// physical path, I: bus vendor product, R: the report descriptor), then the
// interface number, firmware version, descriptor hash, the family the
// transport judges from it, and each top-level collection with its reports.
#include <QCoreApplication>
#include <QTextStream>

#include "device_family_guess.h"
#include "hidraw_transport.h"
#include "program_folder_plugins.h"
#include "sysfs_hid.h"

namespace {

QString typeName(HidReportType type)
{
    switch (type) {
    case HidReportType::Input: return QStringLiteral("input");
    case HidReportType::Output: return QStringLiteral("output");
    case HidReportType::Feature: return QStringLiteral("feature");
    }
    return QString();
}

QString hex4(quint16 value)
{
    return QString::number(value, 16).rightJustified(4, QLatin1Char('0'));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    keepPluginsOutOfProgramFolder();
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() > 1) {
        out << "usage: orvanta-hidraw-probe\n"
               "  Describes the HID interfaces of 258a and 25a7 devices from sysfs\n"
               "  ($ORVANTA_SYSFS_ROOT, else /sys) in the hid-recorder text form, with\n"
               "  the collections the hidraw transport reads. Read-only: it opens no\n"
               "  device node and sends nothing.\n";
        return args.at(1) == QLatin1String("--help") ? 0 : 1;
    }
    const QString root = qEnvironmentVariable("ORVANTA_SYSFS_ROOT", QStringLiteral("/sys"));
    const SysfsScan scan = scanHidraw(root, true);
    for (const HidInterface& iface : scan.interfaces) {
        const HidUevent& u = iface.uevent;
        out << "# " << iface.devicePath << '\n';
        out << "N: " << u.name << '\n';
        out << "P: " << u.phys << '\n';
        out << "I: " << QString::number(u.bus, 16) << ' ' << hex4(u.vendor) << ' ' << hex4(u.product) << '\n';
        out << "R: " << iface.descriptorBytes.size() << ' ' << QString::fromLatin1(iface.descriptorBytes.toHex(' '))
            << '\n';
        out << "# interface " << iface.interfaceNumber << ", firmware "
            << (iface.firmware.isEmpty() ? QStringLiteral("unknown") : iface.firmware) << ", descriptor sha256 "
            << iface.descriptorHash << '\n';
        const QVector<int> vendor = iface.vendorCollections();
        out << "# family " << familyName(guessFamily(u.vendor, iface.descriptor)) << ", "
            << (vendor.isEmpty() ? QStringLiteral("not listed (no vendor collection)") : QStringLiteral("listed")) << '\n';
        for (std::size_t i = 0; i < iface.descriptor.collections.size(); ++i) {
            const HidCollection& c = iface.descriptor.collections[i];
            out << "#   col" << QString::number(i + 1).rightJustified(2, QLatin1Char('0')) << ": usage page 0x"
                << hex4(c.usagePage) << " usage 0x" << hex4(c.usage) << (c.isVendor() ? " (vendor)" : "");
            for (const HidReport& r : c.reports)
                out << ", " << typeName(r.type) << ' ' << r.id << " (" << r.bytes() << " bytes)";
            out << '\n';
            if (c.isVendor())
                out << "#     path " << HidrawTransport::devicePath(iface, static_cast<int>(i)) << '\n';
        }
        out << '\n';
    }
    for (const QString& skipped : scan.skipped) {
        if (!skipped.contains(QLatin1String("no vendor collection")))
            out << "# skipped " << skipped << '\n';
    }
    if (scan.interfaces.isEmpty())
        out << "# no interface of a 258a or 25a7 device under " << root << '\n';
    return 0;
}
