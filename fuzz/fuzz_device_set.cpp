// The emulator's device-set file (devices.json): parsed, written back and
// parsed again. What is written back must read as the same devices.

#include "fuzz_support.h"

#include "device_set.h"

#include <cstdlib>

namespace {

bool sameDevice(const emulator::Device& a, const emulator::Device& b)
{
    return a.key() == b.key() && a.vendorId == b.vendorId && a.productId == b.productId
           && a.properties == b.properties && a.memory == b.memory && a.factory.properties == b.factory.properties
           && a.factory.memory == b.factory.memory && a.lightingFrame == b.lightingFrame && a.present == b.present
           && a.inBootLoader == b.inBootLoader && a.firmwareValid == b.firmwareValid
           && a.interfaces.size() == b.interfaces.size() && a.firmwareVersion == b.firmwareVersion;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    emulator::DeviceSet set;
    if (!emulator::parseDeviceSet(QByteArray(reinterpret_cast<const char*>(data), int(size)), &set))
        return 0;
    const QByteArray written = emulator::serializeDeviceSet(set);
    emulator::DeviceSet again;
    if (!emulator::parseDeviceSet(written, &again) || again.devices.size() != set.devices.size())
        std::abort();
    for (int i = 0; i < set.devices.size(); ++i) {
        if (!sameDevice(set.devices.at(i), again.devices.at(i)))
            std::abort();
    }
    return 0;
}
