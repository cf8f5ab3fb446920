#pragma once

#include <QString>

#include <optional>

// The desktop's pointer settings, in the terms the pages use: the mouse
// acceleration as two thresholds and an acceleration level, the pointer
// speed 1 to 20, the double-click time in milliseconds, the lines scrolled
// per vertical wheel notch (-1: one page) and the characters scrolled per
// horizontal wheel notch.
enum class PointerSetting { Acceleration, Speed, DoubleClickTime, WheelLines, WheelChars };

// The name used in log lines and in the settings file.
QString pointerSettingName(PointerSetting setting);

// Acceleration level 0 is no acceleration; 1 doubles the pointer's motion
// above threshold1; 2 also quadruples it above threshold2.
struct MouseAcceleration {
    int threshold1 = 0;
    int threshold2 = 0;
    int acceleration = 0;

    bool operator==(const MouseAcceleration& other) const
    {
        return threshold1 == other.threshold1 && threshold2 == other.threshold2
            && acceleration == other.acceleration;
    }
};

// Where pointer settings are kept: a desktop's own settings, or a file for
// what the desktop does not keep. A backend keeps some of the settings;
// reads of the others answer nullopt and writes false.
//
// Reads answer nullopt when the value cannot be read; writes answer false
// when the value could not be applied or stored.
class PointerSettingsBackend
{
public:
    virtual ~PointerSettingsBackend() = default;

    // "GSettings", "X11" or the settings file's path, for log lines.
    virtual QString name() const = 0;
    virtual bool keeps(PointerSetting setting) const = 0;
    // Whether the desktop itself remembers a setting it keeps across a new
    // login; one it forgets is applied again from the file at start.
    virtual bool persists(PointerSetting) const { return true; }

    // A desktop may keep less than the acceleration holds (only whether it
    // is on). lastSet is the value stored last; a backend answers it when it
    // agrees with what the desktop holds, so that a page reads back what it
    // set.
    virtual std::optional<MouseAcceleration> readAcceleration(const std::optional<MouseAcceleration>& lastSet) = 0;
    virtual bool writeAcceleration(const MouseAcceleration& value) = 0;

    // Speed, DoubleClickTime, WheelLines and WheelChars.
    virtual std::optional<int> readValue(PointerSetting setting) = 0;
    virtual bool writeValue(PointerSetting setting, int value) = 0;
};
