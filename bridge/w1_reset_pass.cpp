#include "w1_reset_pass.h"

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
        bool ok = false;
        const quint32 version = it.value().value(QStringLiteral("Version")).toString().toUInt(&ok, 16);
        if (ok && version >= 0x25A7FA00u && version <= 0x25A7FAFFu)
            keys << it.key();
    }
    return keys;
}
