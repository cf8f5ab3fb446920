#include "w1_reset_pass.h"

#include "device_family.h"

bool W1ResetPass::tick()
{
    const int before = m_counter++;
    if (before < kIdleTicks)
        return false;
    m_counter = 0;
    return true;
}

QStringList W1ResetPass::w1Keys(const DeviceMap& devices)
{
    QStringList keys;
    for (auto it = devices.cbegin(); it != devices.cend(); ++it) {
        // A real device (its record says what may be sent to it) never
        // gets the pass: its "mode 9" is the public factory reset.
        if (it.value().contains(QStringLiteral("Access")))
            continue;
        const DeviceFamily* family = DeviceFamilies::ofDeviceKey(it.value().value(QStringLiteral("Version")).toString());
        if (family && family->periodicReset)
            keys << it.key();
    }
    return keys;
}
