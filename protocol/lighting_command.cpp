#include "lighting_command.h"

#include <QDebug>

#include "device_commands.h"
#include "device_data_handler.h"

QString writeRgbDevice(device_data_handler& handler, const QString& version, const QString& driverVersion,
                       const QString& data)
{
    const QString unwrapped = DeviceCommands::unwrapLightingData(data);
    if (!handler.writeLighting(version, driverVersion, DeviceCommands::lightingItems(unwrapped)))
        qDebug() << "WriteRGBDevice: lighting write failed for" << version;
    return unwrapped;
}
