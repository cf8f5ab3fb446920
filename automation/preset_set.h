#pragma once

#include <QJsonObject>
#include <QString>
#include <QVector>

#include <optional>

// The active DPI stage a preset sets on one device: the one byte a focus
// change may write to a device. device is the device key ("258A0016"),
// driver the Driver definition its pages write with ("M1.0"), stage the
// stage number counted from 0.
struct PresetStage {
    QString device;
    QString driver;
    int stage = 0;

    bool operator==(const PresetStage& o) const { return device == o.device && driver == o.driver && stage == o.stage; }
    bool operator!=(const PresetStage& o) const { return !(*this == o); }
};

// A named software remapping: the "VirtualStr" document the remapping page
// makes (which buttons the program takes over and what they play) and,
// optionally, the active DPI stage.
struct Preset {
    QString name;
    QString map;
    std::optional<PresetStage> stage;
};

// A program and the preset it gets: app is the window's class (X11's
// WM_CLASS class, a Wayland application id), compared without regard to
// case; title, when not empty, must appear in the window's title (again
// without regard to case).
struct PresetRule {
    QString app;
    QString title;
    QString preset;
};

// The user's presets ("presets.json") and rules ("preset-rules.json"),
// kept beside the remap file:
//
//   {"format": 1, "default": "Default",
//    "presets": [{"name": "Default", "map": "<map .../>",
//                 "dpiStage": {"device": "258A0016", "driver": "M1.0", "stage": 1}}]}
//   {"format": 1, "rules": [{"app": "firefox", "title": "", "preset": "Web"}]}
//
// Both files come from a place the user (and the pages) can write, so they
// are read as hostile: anything that is not exactly this shape within the
// limits below is refused as a whole, with the reason.
struct PresetSet {
    QVector<Preset> presets;
    QString defaultPreset;
    QVector<PresetRule> rules;

    static constexpr int kMaxPresets = 64;
    static constexpr int kMaxRules = 256;
    static constexpr int kMaxName = 64;
    static constexpr int kMaxApp = 256;
    static constexpr int kMaxTitle = 256;
    static constexpr int kMaxMap = 256 * 1024;
    static constexpr int kMaxStage = 7;
    static constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

    // The set a user starts with: one preset "Default" holding map (the
    // remap file's document, or nothing) and no rules.
    static PresetSet initial(const QString& map = QString());

    const Preset* find(const QString& name) const;

    // The two files' texts. Refused (nullopt, why says what) when a text
    // is not the shape above: a name that is empty, too long, holds
    // control characters or is given twice; a default that names no
    // preset; a map that is not a "map" document; a stage out of range.
    static std::optional<QVector<Preset>> presetsFromJson(const QByteArray& text, QString* defaultPreset,
                                                          QString* why);
    static std::optional<QVector<PresetRule>> rulesFromJson(const QByteArray& text, QString* why);
    QByteArray presetsJson() const;
    QByteArray rulesJson() const;

    // Both documents in one object, as the pages exchange them:
    // {"default", "presets", "rules"}.
    static std::optional<PresetSet> fromPageJson(const QByteArray& text, QString* why);
    QByteArray pageJson() const;
    QJsonObject pageObject() const;

    // Whether the set holds together: every rule names a preset of the set.
    bool check(QString* why) const;
};
