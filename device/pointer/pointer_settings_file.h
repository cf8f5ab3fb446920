#pragma once

#include <QJsonObject>
#include <QString>

#include "pointer_settings_backend.h"

// The pointer settings kept in a JSON file of the user's: every setting a
// page makes is stored here, so that what the desktop has no setting for
// (wheel lines and characters everywhere, the speed and double-click time
// on plain X11, everything without a desktop) reads back in the next
// summary. The file is read afresh for every read, so that the program and
// orvanta-cli see each other's changes.
//
//   {"acceleration":[4,6,2],"speed":10,"doubleClickTime":760,
//    "wheelScrollLines":-1,"wheelScrollChars":3}
//
// A missing, unreadable, oversized or malformed file reads as no value at
// all; a member of the wrong type or out of range reads as absent. Writes
// replace the file atomically and keep the members they do not change; a
// malformed file is moved aside to "<file>.corrupt" before a new one is
// written, and a file that cannot be read is never overwritten.
class PointerSettingsFile : public PointerSettingsBackend
{
public:
    explicit PointerSettingsFile(const QString& path);

    // $XDG_CONFIG_HOME/orvanta/pointer.json, or ~/.config/orvanta/pointer.json
    // when XDG_CONFIG_HOME is unset or not an absolute path.
    static QString defaultPath();

    QString path() const { return m_path; }

    QString name() const override { return m_path; }
    bool keeps(PointerSetting) const override { return true; }
    std::optional<MouseAcceleration> readAcceleration(const std::optional<MouseAcceleration>& lastSet) override;
    bool writeAcceleration(const MouseAcceleration& value) override;
    std::optional<int> readValue(PointerSetting setting) override;
    bool writeValue(PointerSetting setting, int value) override;

private:
    enum class Load { Missing, Read, Malformed, Unreadable };
    Load load(QJsonObject* object) const;
    bool store(const QString& member, const QJsonValue& value);

    QString m_path;
};
