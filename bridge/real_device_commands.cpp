#include "real_device_commands.h"

#include <QDir>

#include "access_choices.h"
#include "command_context.h"
#include "command_table.h"
#include "hidraw_transport.h"
#include "logging.h"
#include "page_services.h"
#include "sysfs_hid.h"

namespace {

// The interface of the real device whose record has this path, from the
// same sysfs listing the transport makes.
bool identityOf(const QString& path, DeviceIdentity* out)
{
    const QString root = qEnvironmentVariable("ORVANTA_SYSFS_ROOT", QStringLiteral("/sys"));
    for (const HidInterface& iface : scanHidraw(root).interfaces) {
        for (int collection : iface.vendorCollections()) {
            if (HidrawTransport::devicePath(iface, collection).compare(path, Qt::CaseInsensitive) == 0) {
                *out = DeviceIdentity{iface.uevent.vendor, iface.uevent.product, iface.interfaceNumber,
                                      iface.descriptorHash, iface.firmware};
                return true;
            }
        }
    }
    return false;
}

// {"DevicePath": a real device's path, "Access": "read-only" | "dry-run" |
// "experimental"}.
void setDeviceAccessLevel(CommandContext& c)
{
    const QString path = c.text(QStringLiteral("DevicePath"));
    AccessLevel level = AccessLevel::ReadOnly;
    DeviceIdentity device;
    QString why;
    if (!parseAccessName(c.text(QStringLiteral("Access")), &level) || level == AccessLevel::Verified) {
        why = QStringLiteral("Access is not read-only, dry-run or experimental");
    } else if (!identityOf(path, &device)) {
        why = QStringLiteral("no real device has the path '%1'").arg(Logger::clipped(path));
    } else {
        const QString file = QDir(c.services().applicationFolder).filePath(QStringLiteral("hidraw-access.json"));
        AccessChoices choices = AccessChoices::load(file, &why);
        // A file that could not be read is replaced: it gave no device
        // anything but read-only.
        if (!choices.set(device, level))
            why = QStringLiteral("too many devices with a choice");
        else if (choices.save(file, &why)) {
            LOG_INFO(QStringLiteral("Application Info: real device %1:%2 interface %3 firmware %4 is now %5")
                         .arg(device.vendor, 4, 16, QLatin1Char('0'))
                         .arg(device.product, 4, 16, QLatin1Char('0'))
                         .arg(device.interfaceNumber)
                         .arg(device.firmware, accessName(level)));
            c.succeed(QStringLiteral("SetDeviceAccessLevel success"));
            return;
        }
    }
    LOG_WARNING(QStringLiteral("Application Error: SetDeviceAccessLevel: %1").arg(why));
    c.fail(QStringLiteral("SetDeviceAccessLevel failed"));
}

} // namespace

void addRealDeviceCommands(CommandTable& table)
{
    table.add(63, QStringLiteral("SetDeviceAccessLevel"), setDeviceAccessLevel);
}
