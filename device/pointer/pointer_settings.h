#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "pointer_settings_backend.h"
#include "pointer_settings_file.h"
#include "pointer_tables.h"

// The desktop's pointer settings as the pages change and read them: a
// desktop backend (GSettings or X11, or none) for what the desktop keeps,
// and the settings file for the rest. The main window and orvanta-cli each
// own one.
//
// A change goes to the desktop when the desktop keeps that setting (and
// fails when the desktop refuses it); it is always stored in the file as
// well. A setting the desktop does not keep is stored in the file only,
// which one log line says. A read takes the desktop's value where the
// desktop keeps the setting and the file's otherwise.
class PointerSettings
{
public:
    // desktop may be null (no desktop settings: everything in the file).
    PointerSettings(std::unique_ptr<PointerSettingsBackend> desktop, std::unique_ptr<PointerSettingsFile> file);
    ~PointerSettings();
    PointerSettings(const PointerSettings&) = delete;
    PointerSettings& operator=(const PointerSettings&) = delete;

    // The settings of this session, chosen once at start-up:
    // ORVANTA_POINTER_SETTINGS=<file> forces the file alone; otherwise
    // GSettings on GNOME-based desktops whose schema has the keys, else the
    // X server's pointer control when an X11 display is reachable (not under
    // Wayland), else none; the file is $XDG_CONFIG_HOME/orvanta/pointer.json.
    static std::unique_ptr<PointerSettings> fromEnvironment();

    // Whether XDG_CURRENT_DESKTOP names a desktop that applies the GNOME
    // pointer settings (GNOME, Unity, Budgie, Pantheon).
    static bool appliesGnomeSettings(const QString& currentDesktop);

    // The page commands' changes, by the page's index or number. False
    // when the index is outside its table (nothing is then changed), when
    // the desktop refuses the value, or when a value kept in the file alone
    // cannot be written.
    bool setAccelerationPreset(int index);
    bool setSpeedIndex(int index);
    bool setWheelLines(int num);
    bool setWheelChars(int num);
    bool setDoubleClickIndex(int index);

    PointerTables::Readings read();
    // The five summary fields of the current values.
    QString summaryFields();

    // Which settings this desktop applies, for the pages: a setting the
    // desktop does not keep is only stored (and a page must not call it
    // applied). The forced settings file (ORVANTA_POINTER_SETTINGS) stands
    // for the desktop and "applies" everything.
    struct Support {
        QString desktop;            // "GSettings", "X11", "file" or "none"
        QString tool;               // the desktop's own settings, "" when unknown
        QList<PointerSetting> applied;
    };
    Support support() const;
    // The support as the page command answers it: {"Desktop":…,"Tool":…,
    // "Applied":[names],"StoredOnly":[names]}, names as pointerSettingName.
    QString supportJson() const;

    // At start: settings the desktop keeps but forgets at a new login (the
    // X11 acceleration) are applied again from the file, where the program
    // stored them. Answers how many were applied.
    int reapplyForgotten();

    // The desktop's own place for these settings, by XDG_CURRENT_DESKTOP;
    // "" when the desktop is not one we know.
    static QString settingsToolFor(const QString& currentDesktop);

    // "GSettings and /home/u/.config/orvanta/pointer.json", for log lines.
    QString description() const;
    PointerSettingsBackend* desktop() const { return m_desktop.get(); }
    PointerSettingsFile& file() const { return *m_file; }

private:
    bool desktopKeeps(PointerSetting setting) const;
    bool apply(PointerSetting setting, const std::function<bool(PointerSettingsBackend&)>& write);
    bool setValue(PointerSetting setting, std::optional<int> value);
    std::optional<int> readValue(PointerSetting setting);

    std::unique_ptr<PointerSettingsBackend> m_desktop;
    std::unique_ptr<PointerSettingsFile> m_file;
    bool m_forcedFile = false;
};
