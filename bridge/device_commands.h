#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "device_discovery.h"

class DeviceFunctions;

// The reply texts of the device commands: each function takes the
// request's members, works through the device functions and gives the
// reply's text (device_page_commands enters them into the command table).
namespace DeviceCommands {

// A reply that may be a failure (sent with code 0).
struct Reply {
    bool success = false;
    QString text;
};

// "GetDevicesList": rebuilds the device map, stores it in windowCopy (when
// given), starts reading the report interfaces and answers the records in
// key order as a compact JSON array. No reply (nullopt) when there is no
// device.
std::optional<QString> getDevicesList(DeviceFunctions& functions, DeviceMap* windowCopy);

// "GetVirtualDevice": the whole text of the resource ":/drive/Virtual".
QString getVirtualDevice();

// "RestDevice": W1-family devices are reset with a mode 9 write, others with
// Reset mode 2. "RestDevice success" or "RestDevice failed".
Reply restDevice(DeviceFunctions& functions, const QString& version);

// "ReadDevicesDpiVal": {"DpiXVal":"...","DpiYVal":"..."}; with detail (the
// request's "Detail" member), also "DpiModeVal" and "DpiRGBVal", so that a
// page can show the stage's colour as the device holds it.
QString readDevicesDpiVal(DeviceFunctions& functions, const QString& version, int dpiIndex, bool detail = false);

// "ReadDevicesDpiStages": the current stage and every stage the comma list
// dpiIndexes names (DpiIndex values as "ReadDevicesDpiVal" takes them), each
// device property read once: what a mouse's DPI page shows, in one request.
// nullopt when the list is empty, longer than kMaxDpiStages, or names
// something other than a number from 0 to 255.
constexpr int kMaxDpiStages = 16;
std::optional<QString> readDevicesDpiStages(DeviceFunctions& functions, const QString& version,
                                            const QString& dpiIndexes);

// "WriteRGBDevice": the "Data" member with its two wrapping characters on
// each side removed and doubled backslashes made single; the reply carries it.
QString unwrapLightingData(const QString& data);
// The items of the unwrapped text, split on the three characters ",".
// Each item is key name, "#", colour.
QStringList lightingItems(const QString& unwrapped);

// "GetWindowsMouseConfig": the device's settings summary followed by the
// pointer settings text the caller supplies; the whole text is logged.
QString getWindowsMouseConfig(DeviceFunctions& functions, const QString& version,
                              const QString& pointerSettings = QString());

} // namespace DeviceCommands
