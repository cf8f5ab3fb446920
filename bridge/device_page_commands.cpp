#include "device_page_commands.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "command_context.h"
#include "page_services.h"
#include "window_port.h"
#include "command_table.h"
#include "device_commands.h"
#include "device_access.h"
#include "device_data_handler.h"
#include "device_family.h"
#include "pointer_settings.h"

namespace {

void getVirtualDevice(CommandContext& c)
{
    c.succeed(DeviceCommands::getVirtualDevice());
}

void writeRgbDevice(CommandContext& c)
{
    // The page sends the lighting items wrapped as a JSON array text; the
    // reply carries them unwrapped, whatever the device answers.
    const QString data = DeviceCommands::unwrapLightingData(c.text(QStringLiteral("Data")));
    c.services().deviceHandler->writeLighting(c.text(QStringLiteral("Version")), c.text(QStringLiteral("DriverVersion")),
                                           DeviceCommands::lightingItems(data));
    c.succeed(data);
}

void getDevicesList(CommandContext& c)
{
    const std::optional<QString> list =
        DeviceCommands::getDevicesList(*c.services().deviceFunctions, c.services().deviceMap);
    if (list)
        c.succeed(*list);
}

void restDevice(CommandContext& c)
{
    const DeviceCommands::Reply reply =
        DeviceCommands::restDevice(*c.services().deviceFunctions, c.text(QStringLiteral("Version")));
    if (reply.success)
        c.succeed(reply.text);
    else
        c.fail(reply.text);
}

// Whether the user can reach the real devices' nodes, and the command
// that grants it: the pages ask before the user configures anything.
// "Demo" says whether the devices listed are the emulator's demo devices.
void getDeviceAccess(CommandContext& c)
{
    const PageServices& services = c.services();
    const DeviceAccess access = services.deviceAccess ? services.deviceAccess()
                                                      : systemDeviceAccess(services.applicationFolder);
    QJsonObject reply = QJsonDocument::fromJson(access.toJson().toUtf8()).object();
    reply.insert(QStringLiteral("Demo"), services.installation.demoDevices);
    c.succeed(QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact)));
}

void readDevicesDpiVal(CommandContext& c)
{
    c.succeed(DeviceCommands::readDevicesDpiVal(*c.services().deviceFunctions, c.text(QStringLiteral("Version")),
                                                c.number(QStringLiteral("DpiIndex")),
                                                c.number(QStringLiteral("Detail")) != 0));
}

// What differs between the device families (the table the program writes
// by), as one JSON object keyed by Driver version: the pages read the same
// facts rather than keeping a copy.
void getDeviceFamilies(CommandContext& c)
{
    c.succeed(QString::fromUtf8(DeviceFamilies::document()));
}

// Every DPI stage a page shows, in one request. A list that cannot be read
// reads nothing.
void readDevicesDpiStages(CommandContext& c)
{
    const std::optional<QString> stages = DeviceCommands::readDevicesDpiStages(
        *c.services().deviceFunctions, c.text(QStringLiteral("Version")), c.text(QStringLiteral("DpiIndexes")));
    if (stages)
        c.succeed(*stages);
    else
        c.fail(QStringLiteral("ReadDevicesDpiStages failed"));
}

// One device setting, written on the dispatcher's thread. The pages also
// send "TaskRGB", "TaskLight", "TaskJitters" and "TaskVoices"; the write
// does not take them (keyboard profile writes read those attributes from
// the device's profile).
void writeDevice(CommandContext& c)
{
    const bool written = c.services().deviceHandler->writeDevice(
        c.text(QStringLiteral("Version")), c.text(QStringLiteral("DriverVersion")), c.text(QStringLiteral("Index")),
        c.text(QStringLiteral("Task")), c.text(QStringLiteral("TaskType")), c.text(QStringLiteral("TaskCount")),
        c.text(QStringLiteral("TaskDelay")), c.text(QStringLiteral("TaskManner")));
    if (written)
        c.succeed(QStringLiteral("writeDevices success!"));
    else
        c.fail(QStringLiteral("writeDevices failed!"));
}

// The device's settings, then the desktop's pointer settings.
void getWindowsMouseConfig(CommandContext& c)
{
    PointerSettings* pointer = c.services().pointerSettings;
    const QString pointerFields =
        pointer ? pointer->summaryFields() : PointerTables::summaryFields(PointerTables::Readings());
    c.succeed(DeviceCommands::getWindowsMouseConfig(*c.services().deviceFunctions, c.text(QStringLiteral("Version")),
                                                    pointerFields));
}

} // namespace

void addDevicePageCommands(CommandTable& table)
{
    table.add(4, QStringLiteral("GetVirtualDevice"), getVirtualDevice);
    table.add(7, QStringLiteral("WriteRGBDevice"), writeRgbDevice);
    table.add(12, QStringLiteral("GetDevicesList"), getDevicesList);
    table.add(13, QStringLiteral("RestDevice"), restDevice);
    table.add(14, QStringLiteral("ReadDevicesDpiVal"), readDevicesDpiVal);
    table.add(15, QStringLiteral("WriteDevice"), writeDevice);
    table.add(29, QStringLiteral("GetWindowsMouseConfig"), getWindowsMouseConfig);
    table.add(54, QStringLiteral("GetDeviceAccess"), getDeviceAccess);
    table.add(55, QStringLiteral("GetDeviceFamilies"), getDeviceFamilies);
    table.add(56, QStringLiteral("ReadDevicesDpiStages"), readDevicesDpiStages);
}
