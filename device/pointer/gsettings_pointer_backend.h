#pragma once

#include <memory>

#include "gsettings_store.h"
#include "pointer_settings_backend.h"

// The pointer settings of GNOME and the desktops built on its settings,
// in the schema org.gnome.desktop.peripherals.mouse:
//   speed (1-20)        <-> "speed", -1 to 1: (speed - 10) / 10, so the
//                           middle speed 10 is the desktop's default 0;
//                           read back rounded to the nearest speed
//   acceleration        <-> "accel-profile": "flat" for level 0, "adaptive"
//                           otherwise; read back as the level last set when
//                           the desktop agrees with it, else level 1
//   double-click time   <-> "double-click", in milliseconds
// The wheel settings have no key there. A key the installed schema lacks
// (older releases have no "accel-profile") is not kept.
class GSettingsPointerBackend : public PointerSettingsBackend
{
public:
    static const char* schemaId();

    explicit GSettingsPointerBackend(std::unique_ptr<GSettingsStore> store);

    // True when the schema keeps at least one of the settings.
    bool usable() const;

    QString name() const override { return QStringLiteral("GSettings"); }
    bool keeps(PointerSetting setting) const override;
    std::optional<MouseAcceleration> readAcceleration(const std::optional<MouseAcceleration>& lastSet) override;
    bool writeAcceleration(const MouseAcceleration& value) override;
    std::optional<int> readValue(PointerSetting setting) override;
    bool writeValue(PointerSetting setting, int value) override;

private:
    std::unique_ptr<GSettingsStore> m_store;
};
