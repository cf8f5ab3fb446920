#include "pointer_settings.h"

#include "gio_settings_store.h"
#include "gsettings_pointer_backend.h"
#include "logging.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
        settings->m_forcedFile = true;
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

QString PointerSettings::settingsToolFor(const QString& currentDesktop)
{
    const QStringList names = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        const QString lower = name.toLower();
        if (lower == QLatin1String("kde"))
            return QStringLiteral("System Settings › Input Devices › Mouse");
        if (lower == QLatin1String("xfce"))
            return QStringLiteral("Settings › Mouse and Touchpad");
        if (lower == QLatin1String("lxqt"))
            return QStringLiteral("LXQt Configuration Center › Keyboard and Mouse");
        if (lower == QLatin1String("mate"))
            return QStringLiteral("Control Center › Mouse");
        if (lower == QLatin1String("x-cinnamon") || lower == QLatin1String("cinnamon"))
            return QStringLiteral("System Settings › Mouse and Touchpad");
    }
    if (appliesGnomeSettings(currentDesktop))
        return QStringLiteral("Settings › Mouse & Touchpad");
    return QString();
}

PointerSettings::Support PointerSettings::support() const
{
    Support support;
    support.desktop = m_forcedFile ? QStringLiteral("file") : m_desktop ? m_desktop->name() : QStringLiteral("none");
    support.tool = m_forcedFile ? QString() : settingsToolFor(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    for (PointerSetting setting : {PointerSetting::Acceleration, PointerSetting::Speed, PointerSetting::DoubleClickTime,
                                   PointerSetting::WheelLines, PointerSetting::WheelChars}) {
        if (m_forcedFile || desktopKeeps(setting))
            support.applied << setting;
    }
    return support;
}

QString PointerSettings::supportJson() const
{
    const Support s = support();
    QJsonArray applied;
    QJsonArray storedOnly;
    for (PointerSetting setting : {PointerSetting::Acceleration, PointerSetting::Speed, PointerSetting::DoubleClickTime,
                                   PointerSetting::WheelLines, PointerSetting::WheelChars}) {
        (s.applied.contains(setting) ? applied : storedOnly).append(pointerSettingName(setting));
    }
    const QJsonObject object{{QStringLiteral("Desktop"), s.desktop}, {QStringLiteral("Tool"), s.tool},
                             {QStringLiteral("Applied"), applied}, {QStringLiteral("StoredOnly"), storedOnly}};
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

int PointerSettings::reapplyForgotten()
{
    if (!m_desktop)
        return 0;
    int applied = 0;
    if (desktopKeeps(PointerSetting::Acceleration) && !m_desktop->persists(PointerSetting::Acceleration)) {
        const std::optional<MouseAcceleration> stored = m_file->readAcceleration(std::nullopt);
        if (stored && m_desktop->writeAcceleration(*stored)) {
            ++applied;
            LOG_INFO(QStringLiteral("Application Info: pointer acceleration applied again to %1 from %2")
                         .arg(m_desktop->name(), m_file->path()));
        }
    }
    for (PointerSetting setting : {PointerSetting::Speed, PointerSetting::DoubleClickTime, PointerSetting::WheelLines,
                                   PointerSetting::WheelChars}) {
        if (!desktopKeeps(setting) || m_desktop->persists(setting))
            continue;
        const std::optional<int> stored = m_file->readValue(setting);
        if (stored && m_desktop->writeValue(setting, *stored))
            ++applied;
    }
    return applied;
}
