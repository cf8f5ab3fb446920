#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>

namespace emulator {

constexpr std::uint16_t kBootLoaderVendorId = 0x258A;
constexpr std::uint16_t kBootLoaderProductId = 0xFF12;
constexpr int kDefaultMemorySize = 0x20000;
// Limits of a device set, so that a small file cannot make the library
// allocate gigabytes: the address space of one device (kept twice, with its
// factory state), the address space of all devices together, the number of
// devices (the device list holds at most 50 records anyway) and the size of
// the file itself. A device past its limit is left out; a set past the
// others is refused as a whole.
constexpr int kMaxMemorySize = 0x100000;
constexpr qint64 kMaxTotalMemorySize = 0x800000;
constexpr int kMaxDevices = 50;
constexpr qint64 kMaxDeviceSetFileSize = 64 * 1024 * 1024;
// Largest ROM a firmware image can carry (the image's ROM field).
constexpr int kRomCapacity = 65819;
constexpr int kMaxReportSize = 2048;

// One HID top-level collection of a device, as enumeration shows it.
struct Interface {
    QString collection;
    QString path;
    QString instanceId;
    std::uint16_t usagePage = 0xFFA0;
    std::uint16_t usage = 1;
};

struct ReportStep {
    int delayMs = 0;
    QByteArray bytes;
};

struct Faults {
    int failWrite = 0;         // the n-th write call fails (1-based); 0: never
    int unplugAfterWrites = 0; // the device goes away after n successful writes
    QString failBootStep;      // name of the boot-loader entry point that fails
    int failBootStepCall = 0;  // only that call of it (1-based); 0: every call
};

// A device's settings as they leave the factory; a reset restores them.
struct Settings {
    QMap<int, QByteArray> properties;
    QByteArray memory;
};

struct Device {
    int rawIndex = -1; // position in the file's "devices" array
    QString name;
    QString reportedId;
    QString serial;
    QString mask;
    QString firmwareVersion;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    QVector<Interface> interfaces;
    Interface bootLoader;
    QMap<int, QByteArray> properties;
    QByteArray memory;
    Settings factory;
    QByteArray lightingFrame;
    QVector<ReportStep> reports;
    bool loopReports = false;
    bool present = true;
    bool inBootLoader = false;
    bool firmwareValid = true;
    int romVersionOffset = 0;
    bool hasRom = false;
    std::uint32_t romLength = 0;
    std::uint32_t romCrc = 0;
    Faults faults;

    // Session state: lives from one load of the file to the next, never saved.
    int writeCalls = 0;
    int successfulWrites = 0;
    QMap<QString, int> bootStepCalls;
    QByteArray romImage; // empty until EraseRom
    bool romVerified = false;
    std::uint32_t verifiedLength = 0;

    // The key the program forms for this device: the reported id, else the
    // vendor and product ids.
    QString key() const;
    // Vendor and product the device shows right now.
    std::uint16_t shownVendorId() const { return inBootLoader ? kBootLoaderVendorId : vendorId; }
    std::uint16_t shownProductId() const { return inBootLoader ? kBootLoaderProductId : productId; }
};

// The device-set file: its top-level object (kept so that members this code
// does not know survive a save), the raw device entries and the devices that
// parsed. An entry that does not parse is reported in problems, left out of
// devices and written back unchanged.
struct DeviceSet {
    QJsonObject root;
    QJsonArray rawDevices;
    QVector<Device> devices;
    QStringList problems;
};

// False when the text is not a JSON object or the set is past the limits
// above (the set then has no devices); devices that do not parse are
// skipped (see DeviceSet::problems).
bool parseDeviceSet(const QByteArray &json, DeviceSet *set);
// The file text with every device's current state written into its entry.
QByteArray serializeDeviceSet(const DeviceSet &set);

} // namespace emulator
