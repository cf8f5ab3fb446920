#pragma once

#include <QString>

#include <optional>

#include "pointer_settings_backend.h"

// The pointer settings as the pages see them: what a page's index or number
// sets, and how the current values are reported in the settings summary.
// Setting and reading use different tables, so a value set through one
// index may read back under another.
namespace PointerTables {

// The value a page's index sets; nullopt outside the table (nothing is then
// changed). Acceleration presets 0-3, speeds and double-click times 0-11.
std::optional<MouseAcceleration> accelerationPreset(int index);
std::optional<int> pointerSpeed(int index);
std::optional<int> doubleClickTime(int index);
// Lines per vertical notch: 0-65534, or 65535 (or -1) for one page per
// notch, kept as -1. Characters per horizontal notch: 0-65535.
std::optional<int> wheelLines(int num);
std::optional<int> wheelChars(int num);

// Whether a value read from a store is one the desktop could hold; values
// that are not are treated as unreadable.
bool isValid(PointerSetting setting, int value);
bool isValid(const MouseAcceleration& value);

// What the pointer settings read as; nullopt where the read failed.
struct Readings {
    std::optional<MouseAcceleration> acceleration;
    std::optional<int> speed;
    std::optional<int> doubleClickTime;
    std::optional<int> wheelLines;
    std::optional<int> wheelChars;
};

// The summary fields: the index of the first reading preset with the same
// acceleration level (0 when none has it); the speed halved, rounded down
// (speed 10 when unreadable); the index of the equal reading double-click
// time (5 when none is equal); the wheel values (3 when unreadable; a page
// per notch reads as 65535, as the pages send it).
int accelerationField(const std::optional<MouseAcceleration>& value);
int speedField(std::optional<int> speed);
int doubleClickField(std::optional<int> milliseconds);
int wheelLinesField(std::optional<int> lines);
int wheelCharsField(std::optional<int> chars);

// "defaultMouseAccel:A,defaultScrollLinesX:X,defaultMouseSpeed:S,
// defaultMouseDoubleClick:D,defaultScrollLinesY:Y"
QString summaryFields(const Readings& readings);

} // namespace PointerTables
