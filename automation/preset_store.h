#pragma once

#include "preset_set.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>

// The user's presets and rules on disk: "presets.json" and
// "preset-rules.json" in the folder of the remap file ("remap.xml"). A
// file that is refused leaves what it held as it was (the last good
// presets or rules stay in effect) and says why in problems(). Without a
// presets file the user starts with one preset "Default" holding the
// remap file's document, so a remapping made before presets existed is
// kept.
class PresetStore : public QObject
{
    Q_OBJECT
public:
    // folder: where the files are (a trailing "/" is not needed).
    explicit PresetStore(const QString& folder, QObject* parent = nullptr);

    static QString presetsFileName() { return QStringLiteral("presets.json"); }
    static QString rulesFileName() { return QStringLiteral("preset-rules.json"); }
    static QString remapFileName() { return QStringLiteral("remap.xml"); }

    // Reads both files (again). Emits changed() when what is in effect
    // changed.
    void load();
    // Reloads when another program changes or replaces the files.
    void watch();

    const PresetSet& set() const { return m_set; }
    // Why a file was refused, one line a file; empty when both were read.
    QStringList problems() const { return m_problems; }

    // Writes both files (each replaced whole, or left as it was) and makes
    // set the one in effect. The set must hold together (rules name its
    // presets).
    bool save(const PresetSet& set, QString* why);

signals:
    void changed();

private:
    QString path(const QString& name) const;
    // nullopt when the file is missing; a text too large is cut so that
    // parsing refuses it.
    std::optional<QByteArray> read(const QString& name, QString* why) const;

    QString m_folder;
    PresetSet m_set;
    QStringList m_problems;
    bool m_loaded = false;
    QFileSystemWatcher m_watcher;
};
