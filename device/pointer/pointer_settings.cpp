#include "pointer_settings.h"

#include "gio_settings_store.h"
#include "gsettings_pointer_backend.h"
#include "logging.h"
#include "x11_pointer_backend.h"
#include "xlib_pointer_control.h"

PointerSettings::PointerSettings(std::unique_ptr<PointerSettingsBackend> desktop,
                                 std::unique_ptr<PointerSettingsFile> file)
    : m_desktop(std::move(desktop))
    , m_file(std::move(file))
{
}

PointerSettings::~PointerSettings() = default;

bool PointerSettings::appliesGnomeSettings(const QString& currentDesktop)
{
    static const QStringList gnomeBased = {QStringLiteral("GNOME"), QStringLiteral("Unity"),
                                           QStringLiteral("Budgie"), QStringLiteral("Pantheon")};
    // A list separated by ":", such as "ubuntu:GNOME" or "Budgie:GNOME".
    const QStringList names = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        for (const QString& known : gnomeBased) {
            if (name.compare(known, Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

std::unique_ptr<PointerSettings> PointerSettings::fromEnvironment()
{
    std::unique_ptr<PointerSettings> settings;
    const QString forced = qEnvironmentVariable("ORVANTA_POINTER_SETTINGS");
    if (!forced.isEmpty()) {
        settings = std::make_unique<PointerSettings>(nullptr, std::make_unique<PointerSettingsFile>(forced));
    } else {
        std::unique_ptr<PointerSettingsBackend> desktop;
        if (appliesGnomeSettings(qEnvironmentVariable("XDG_CURRENT_DESKTOP"))) {
            auto gsettings = std::make_unique<GSettingsPointerBackend>(
                std::make_unique<GioSettingsStore>(QString::fromLatin1(GSettingsPointerBackend::schemaId())));
            if (gsettings->usable())
                desktop = std::move(gsettings);
        }
        // Under Wayland the X server is a client of the compositor, and its
        // pointer control moves nothing.
        if (!desktop && qEnvironmentVariable("XDG_SESSION_TYPE") != QLatin1String("wayland")
            && !qEnvironmentVariable("DISPLAY").isEmpty()) {
            auto control = std::make_unique<XlibPointerControl>();
            if (control->reachable())
                desktop = std::make_unique<X11PointerBackend>(std::move(control));
        }
        settings = std::make_unique<PointerSettings>(std::move(desktop),
                                                     std::make_unique<PointerSettingsFile>(
                                                         PointerSettingsFile::defaultPath()));
    }
    LOG_INFO(QStringLiteral("Application Info: pointer settings kept by %1").arg(settings->description()));
    return settings;
}

QString PointerSettings::description() const
{
    return m_desktop ? m_desktop->name() + QStringLiteral(" and ") + m_file->path() : m_file->path();
}

bool PointerSettings::desktopKeeps(PointerSetting setting) const
{
    return m_desktop && m_desktop->keeps(setting);
}

bool PointerSettings::apply(PointerSetting setting, const std::function<bool(PointerSettingsBackend&)>& write)
{
    const QString name = pointerSettingName(setting);
    if (desktopKeeps(setting)) {
        if (!write(*m_desktop)) {
            LOG_WARNING(QStringLiteral("Application Error: %1 refused the pointer setting %2")
                            .arg(m_desktop->name(), name));
            return false;
        }
        // The desktop has it; the file's copy is what reads it back in
        // detail where the desktop keeps less (and what a session without
        // that desktop reads).
        if (!write(*m_file))
            LOG_WARNING(QStringLiteral("Application Error: pointer setting %1 applied but not stored in %2")
                            .arg(name, m_file->path()));
        return true;
    }
    if (!write(*m_file))
        return false;
    LOG_INFO(QStringLiteral("Application Info: pointer setting %1 stored only in %2: %3")
                 .arg(name, m_file->path(),
                      m_desktop ? m_desktop->name() + QStringLiteral(" has no such setting")
                                : QStringLiteral("no desktop pointer settings")));
    return true;
}

bool PointerSettings::setValue(PointerSetting setting, std::optional<int> value)
{
    if (!value)
        return false;
    return apply(setting, [&](PointerSettingsBackend& backend) { return backend.writeValue(setting, *value); });
}

bool PointerSettings::setAccelerationPreset(int index)
{
    const std::optional<MouseAcceleration> preset = PointerTables::accelerationPreset(index);
    if (!preset)
        return false;
    return apply(PointerSetting::Acceleration,
                 [&](PointerSettingsBackend& backend) { return backend.writeAcceleration(*preset); });
}

bool PointerSettings::setSpeedIndex(int index)
{
    return setValue(PointerSetting::Speed, PointerTables::pointerSpeed(index));
}

bool PointerSettings::setWheelLines(int num)
{
    return setValue(PointerSetting::WheelLines, PointerTables::wheelLines(num));
}

bool PointerSettings::setWheelChars(int num)
{
    return setValue(PointerSetting::WheelChars, PointerTables::wheelChars(num));
}

bool PointerSettings::setDoubleClickIndex(int index)
{
    return setValue(PointerSetting::DoubleClickTime, PointerTables::doubleClickTime(index));
}

std::optional<int> PointerSettings::readValue(PointerSetting setting)
{
    return desktopKeeps(setting) ? m_desktop->readValue(setting) : m_file->readValue(setting);
}

PointerTables::Readings PointerSettings::read()
{
    PointerTables::Readings readings;
    const std::optional<MouseAcceleration> stored = m_file->readAcceleration(std::nullopt);
    readings.acceleration = desktopKeeps(PointerSetting::Acceleration) ? m_desktop->readAcceleration(stored) : stored;
    readings.speed = readValue(PointerSetting::Speed);
    readings.doubleClickTime = readValue(PointerSetting::DoubleClickTime);
    readings.wheelLines = readValue(PointerSetting::WheelLines);
    readings.wheelChars = readValue(PointerSetting::WheelChars);
    return readings;
}

QString PointerSettings::summaryFields()
{
    return PointerTables::summaryFields(read());
}
