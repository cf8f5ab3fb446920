#pragma once

#include <QString>

#include "assignment_encoder.h"
#include "profile_document.h"

class DeviceFunctions;
class DriverLookup;

// The state of the device write request being run, kept until the next
// request replaces it: the device key and the driver version as the request
// named them, whether the device is written as a keyboard profile (K2.0,
// K3.0; its macros then go to the K2.0 units), the device's profile
// document, and the encoder of the request, whose macros are stored in that
// device.
class WriteState
{
public:
    // lookup and device must outlive the state.
    WriteState(DriverLookup& lookup, DeviceFunctions& device);
    WriteState(const WriteState&) = delete;
    WriteState& operator=(const WriteState&) = delete;

    // Starts a request: keeps its device key and driver version, clears the
    // keyboard mode.
    void begin(const QString& deviceKey, const QString& driverVersion);

    QString deviceKey() const { return m_deviceKey; }
    QString driverVersion() const { return m_driverVersion; }
    bool keyboardMode() const { return m_keyboardMode; }
    void setKeyboardMode(bool on) { m_keyboardMode = on; }

    // Parses the device's profile text into the profile document; false,
    // with the document empty, when it does not parse.
    bool loadProfile(const QString& text) { return m_profile.load(text); }
    const ProfileDocument& profile() const { return m_profile; }

    AssignmentEncoder& encoder() { return m_encoder; }

private:
    QString m_deviceKey;
    QString m_driverVersion;
    bool m_keyboardMode = false;
    ProfileDocument m_profile;
    AssignmentEncoder m_encoder;
};
