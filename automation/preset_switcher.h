#pragma once

#include "focus_source.h"
#include "focused_window.h"
#include "preset_set.h"

#include <QJsonObject>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class ActiveStageWriter;
class PresetStore;

// Puts the preset of the program in front into effect: the window a focus
// source reports is matched against the rules once the focus has stayed
// put for the debounce time (alt-tab bursts are passed over), and the
// chosen preset's map replaces the software remapping at once. Its DPI
// stage, when it has one, is written to the device after the same quiet
// time; nothing else on the device is touched by a focus change. The
// program's own window is passed over (the preset stays while the user
// looks at the pages). A preset chosen by hand stays until another program
// comes to the front.
class PresetSwitcher : public QObject
{
    Q_OBJECT
public:
    enum class Cause {
        Start,   // the default preset when the program started
        Rule,    // a rule matched the program in front
        NoRule,  // no rule for the program in front: the default
        Desktop, // no program in front: the default
        Manual,  // chosen by hand
    };

    // Puts a "VirtualStr" document into effect as the software remapping
    // (InputAutomation::refreshVirtualDrive in the program).
    using MapLoader = std::function<void(const QString& map)>;

    PresetSwitcher(PresetStore& store, MapLoader loadMap, QObject* parent = nullptr);
    ~PresetSwitcher() override;

    // Takes the source (before start()); without one nothing follows the
    // front window.
    void setSource(std::unique_ptr<FocusSource> source);
    FocusSource* source() const { return m_source.get(); }
    // Where stage writes go; null: stages are not written.
    void setStageWriter(ActiveStageWriter* writer) { m_stageWriter = writer; }
    // The process whose windows are passed over (this one by default).
    void setOwnProcess(qint64 pid) { m_ownPid = pid; }
    static constexpr int kDebounceMs = 300;
    void setDebounce(int ms);

    // Reads the presets, puts the default into effect, watches the files
    // and starts the source.
    void start();

    // A preset by hand; false when there is none of that name.
    bool choose(const QString& name);
    // While paused (a macro is being recorded in the pages) no button is
    // taken over; resuming puts the active preset back into effect.
    void setPaused(bool paused);
    bool paused() const { return m_paused; }

    QString activePreset() const { return m_active; }
    Cause cause() const { return m_cause; }
    // The window the active preset was chosen for.
    FocusedWindow window() const { return m_window; }

    // What the pages show: {"preset", "cause", "app", "title", "rule",
    // "source", "reason", "problems", "paused"}.
    QJsonObject state() const;
    static QString causeName(Cause cause);

signals:
    // Anything state() answers changed.
    void stateChanged();

private:
    void onWindowActivated(const FocusedWindow& window);
    void settle();
    void chooseFor(const FocusedWindow& window);
    void onStoreChanged();
    void apply(const QString& name, Cause cause, const FocusedWindow& window, int rule);
    void putMapInEffect();
    void writeStage();

    PresetStore& m_store;
    MapLoader m_loadMap;
    std::unique_ptr<FocusSource> m_source;
    ActiveStageWriter* m_stageWriter = nullptr;
    qint64 m_ownPid;
    QTimer m_settle;
    QTimer m_stageTimer;
    FocusedWindow m_pending;
    bool m_seenWindow = false;

    QString m_active;
    Cause m_cause = Cause::Start;
    FocusedWindow m_window;
    int m_rule = -1;
    bool m_paused = false;
    // The map handed to the remapping last; nullopt before the first.
    std::optional<QString> m_appliedMap;
    std::optional<PresetStage> m_pendingStage;
    // The stage of the active preset as it was put into effect.
    std::optional<PresetStage> m_activeStage;
};
