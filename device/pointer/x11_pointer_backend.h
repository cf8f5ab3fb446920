#pragma once

#include <memory>

#include "pointer_settings_backend.h"
#include "x11_pointer_control.h"

// The acceleration on a plain X11 desktop, through the core pointer
// control, which the X server applies at once:
//   level 0       <-> factor 1/1 (no acceleration)
//   level n > 0   <-> factor (n + 1)/1 above threshold 1 (one threshold
//                     only: the second is not kept)
// read back as the factor less one, rounded. X11 keeps nothing else of the
// pointer settings, and forgets the acceleration when the X server ends (a
// new login): the program applies it again at start.
class X11PointerBackend : public PointerSettingsBackend
{
public:
    explicit X11PointerBackend(std::unique_ptr<X11PointerControl> control);

    QString name() const override { return QStringLiteral("X11"); }
    bool keeps(PointerSetting setting) const override { return setting == PointerSetting::Acceleration; }
    bool persists(PointerSetting) const override { return false; }
    std::optional<MouseAcceleration> readAcceleration(const std::optional<MouseAcceleration>& lastSet) override;
    bool writeAcceleration(const MouseAcceleration& value) override;
    std::optional<int> readValue(PointerSetting) override { return std::nullopt; }
    bool writeValue(PointerSetting, int) override { return false; }

private:
    std::unique_ptr<X11PointerControl> m_control;
};
