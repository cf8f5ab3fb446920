#include "command_host.h"

#include "device_access.h"
#include "udev_input_device_enumerator.h"

#include <QDir>

DeviceAccess CommandHost::deviceAccess()
{
    return checkDeviceAccess(UdevInputDeviceEnumerator(),
                             systemDeviceAccessSetup(QDir(applicationFolder()).filePath(QLatin1String(kUdevRuleName))));
}
