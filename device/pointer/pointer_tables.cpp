#include "pointer_tables.h"

#include <array>

namespace PointerTables {

namespace {

// (threshold 1, threshold 2, acceleration) set by the pages' indexes 0-3.
const std::array<MouseAcceleration, 4> kSettingPresets = {{{0, 0, 0}, {7, 0, 1}, {4, 6, 2}, {4, 0, 1}}};
// The presets the summary reports; only their acceleration is compared.
const std::array<MouseAcceleration, 10> kReadingPresets = {
    {{0, 0, 0}, {7, 0, 1}, {4, 6, 4}, {8, 0, 6}, {2, 5, 3}, {1, 10, 5}, {1, 10, 8}, {1, 10, 9}, {1, 10, 2}, {1, 10, 7}}};
const std::array<int, 12> kSpeeds = {1, 1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20};
const std::array<int, 10> kReadingDoubleClickTimes = {970, 890, 780, 650, 550, 480, 410, 340, 270, 200};

const int kPageScroll = -1;
const int kPageScrollNum = 65535;
const int kWheelMax = 65535;
const int kDoubleClickMax = 5000;
const int kThresholdMax = 65535;

const int kUnreadableSpeed = 10;
const int kUnmatchedDoubleClickField = 5;
const int kUnreadableWheel = 3;

} // namespace

std::optional<MouseAcceleration> accelerationPreset(int index)
{
    if (index < 0 || index >= int(kSettingPresets.size()))
        return std::nullopt;
    return kSettingPresets[size_t(index)];
}

std::optional<int> pointerSpeed(int index)
{
    if (index < 0 || index >= int(kSpeeds.size()))
        return std::nullopt;
    return kSpeeds[size_t(index)];
}

std::optional<int> doubleClickTime(int index)
{
    if (index < 0 || index > 11)
        return std::nullopt;
    return 970 - 70 * index;
}

std::optional<int> wheelLines(int num)
{
    if (num == kPageScrollNum || num == kPageScroll)
        return kPageScroll;
    if (num < 0 || num > kWheelMax)
        return std::nullopt;
    return num;
}

std::optional<int> wheelChars(int num)
{
    if (num < 0 || num > kWheelMax)
        return std::nullopt;
    return num;
}

bool isValid(PointerSetting setting, int value)
{
    switch (setting) {
    case PointerSetting::Speed:
        return value >= 1 && value <= 20;
    case PointerSetting::DoubleClickTime:
        return value >= 1 && value <= kDoubleClickMax;
    case PointerSetting::WheelLines:
        return value >= kPageScroll && value <= kWheelMax;
    case PointerSetting::WheelChars:
        return value >= 0 && value <= kWheelMax;
    case PointerSetting::Acceleration:
        break;
    }
    return false;
}

bool isValid(const MouseAcceleration& value)
{
    return value.threshold1 >= 0 && value.threshold1 <= kThresholdMax && value.threshold2 >= 0
        && value.threshold2 <= kThresholdMax && value.acceleration >= 0 && value.acceleration <= 2;
}

int accelerationField(const std::optional<MouseAcceleration>& value)
{
    if (!value)
        return 0;
    for (size_t i = 0; i < kReadingPresets.size(); ++i) {
        if (kReadingPresets[i].acceleration == value->acceleration)
            return int(i);
    }
    return 0;
}

int speedField(std::optional<int> speed)
{
    const int value = speed && isValid(PointerSetting::Speed, *speed) ? *speed : kUnreadableSpeed;
    return value / 2;
}

int doubleClickField(std::optional<int> milliseconds)
{
    if (milliseconds) {
        for (size_t i = 0; i < kReadingDoubleClickTimes.size(); ++i) {
            if (kReadingDoubleClickTimes[i] == *milliseconds)
                return int(i);
        }
    }
    return kUnmatchedDoubleClickField;
}

int wheelLinesField(std::optional<int> lines)
{
    if (!lines || !isValid(PointerSetting::WheelLines, *lines))
        return kUnreadableWheel;
    return *lines == kPageScroll ? kPageScrollNum : *lines;
}

int wheelCharsField(std::optional<int> chars)
{
    if (!chars || !isValid(PointerSetting::WheelChars, *chars))
        return kUnreadableWheel;
    return *chars;
}

QString summaryFields(const Readings& readings)
{
    return QStringLiteral("defaultMouseAccel:%1,defaultScrollLinesX:%2,defaultMouseSpeed:%3,"
                          "defaultMouseDoubleClick:%4,defaultScrollLinesY:%5")
        .arg(accelerationField(readings.acceleration))
        .arg(wheelCharsField(readings.wheelChars))
        .arg(speedField(readings.speed))
        .arg(doubleClickField(readings.doubleClickTime))
        .arg(wheelLinesField(readings.wheelLines));
}

} // namespace PointerTables
