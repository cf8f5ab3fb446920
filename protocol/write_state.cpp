#include "write_state.h"

#include "macro_block_w1.h"
#include "macro_encoding.h"

WriteState::WriteState(DriverLookup& lookup, DeviceFunctions& device)
    : m_encoder(lookup, device)
{
    // A macro goes into the device of the request being run: the mouse
    // slots, the K2.0 units in keyboard mode, the W1 button's block.
    m_encoder.setMacroReference([this, &lookup, &device](const QString& steps, const QString& count) {
        return macroAssignment(lookup, device, m_deviceKey, steps, count, m_keyboardMode);
    });
    m_encoder.setW1MacroWriter(
        [&lookup, &device](const QString& deviceId, const QString& index, const QString& steps, const QString&) {
            return macroBlockAssignmentW1(lookup, device, deviceId, index, steps);
        });
}

void WriteState::begin(const QString& deviceKey, const QString& driverVersion)
{
    m_deviceKey = deviceKey;
    m_driverVersion = driverVersion;
    m_keyboardMode = false;
}
