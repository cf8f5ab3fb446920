#include "gsettings_pointer_backend.h"

#include <QtGlobal>

#include <cmath>

#include "pointer_tables.h"

namespace {

const QString kSpeedKey = QStringLiteral("speed");
const QString kProfileKey = QStringLiteral("accel-profile");
const QString kDoubleClickKey = QStringLiteral("double-click");
const QString kFlat = QStringLiteral("flat");
const QString kAdaptive = QStringLiteral("adaptive");

// The acceleration read when the desktop accelerates and nothing more is
// known: the pages' first accelerated preset.
const int kAcceleratedPreset = 1;

} // namespace

const char* GSettingsPointerBackend::schemaId()
{
    return "org.gnome.desktop.peripherals.mouse";
}

GSettingsPointerBackend::GSettingsPointerBackend(std::unique_ptr<GSettingsStore> store)
    : m_store(std::move(store))
{
}

bool GSettingsPointerBackend::usable() const
{
    return keeps(PointerSetting::Speed) || keeps(PointerSetting::Acceleration)
        || keeps(PointerSetting::DoubleClickTime);
}

bool GSettingsPointerBackend::keeps(PointerSetting setting) const
{
    switch (setting) {
    case PointerSetting::Speed:
        return m_store->hasKey(kSpeedKey, "d");
    case PointerSetting::Acceleration:
        return m_store->hasKey(kProfileKey, "s") && m_store->accepts(kProfileKey, kFlat)
            && m_store->accepts(kProfileKey, kAdaptive);
    case PointerSetting::DoubleClickTime:
        return m_store->hasKey(kDoubleClickKey, "i");
    case PointerSetting::WheelLines:
    case PointerSetting::WheelChars:
        break;
    }
    return false;
}

std::optional<MouseAcceleration> GSettingsPointerBackend::readAcceleration(
    const std::optional<MouseAcceleration>& lastSet)
{
    if (!keeps(PointerSetting::Acceleration))
        return std::nullopt;
    const std::optional<QString> profile = m_store->readString(kProfileKey);
    if (!profile)
        return std::nullopt;
    if (*profile == kFlat)
        return PointerTables::accelerationPreset(0);
    // "adaptive", or "default" (the device's own, which accelerates).
    if (lastSet && lastSet->acceleration > 0)
        return lastSet;
    return PointerTables::accelerationPreset(kAcceleratedPreset);
}

bool GSettingsPointerBackend::writeAcceleration(const MouseAcceleration& value)
{
    return keeps(PointerSetting::Acceleration)
        && m_store->writeString(kProfileKey, value.acceleration == 0 ? kFlat : kAdaptive);
}

std::optional<int> GSettingsPointerBackend::readValue(PointerSetting setting)
{
    if (!keeps(setting))
        return std::nullopt;
    if (setting == PointerSetting::Speed) {
        const std::optional<double> speed = m_store->readDouble(kSpeedKey);
        if (!speed || !std::isfinite(*speed))
            return std::nullopt;
        return qBound(1, int(std::lround(qBound(-1.0, *speed, 1.0) * 10.0 + 10.0)), 20);
    }
    if (setting == PointerSetting::DoubleClickTime)
        return m_store->readInt(kDoubleClickKey);
    return std::nullopt;
}

bool GSettingsPointerBackend::writeValue(PointerSetting setting, int value)
{
    if (!keeps(setting))
        return false;
    if (setting == PointerSetting::Speed)
        return m_store->writeDouble(kSpeedKey, qBound(-1.0, (value - 10) / 10.0, 1.0));
    if (setting == PointerSetting::DoubleClickTime)
        return m_store->writeInt(kDoubleClickKey, value);
    return false;
}
