#include "preset_switcher.h"

#include "active_stage_writer.h"
#include "logging.h"
#include "preset_match.h"
#include "preset_store.h"

#include <QCoreApplication>
#include <QJsonArray>

namespace {

// An empty "map" document: the remapping takes no button.
const QString kNoButtons = QStringLiteral("<map/>");

} // namespace

PresetSwitcher::PresetSwitcher(PresetStore& store, MapLoader loadMap, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_loadMap(std::move(loadMap))
    , m_ownPid(QCoreApplication::applicationPid())
{
    qRegisterMetaType<FocusedWindow>();
    m_settle.setSingleShot(true);
    m_settle.setInterval(kDebounceMs);
    connect(&m_settle, &QTimer::timeout, this, &PresetSwitcher::settle);
    // A device may drop writes that come faster than this; one write per
    // quiet spell.
    m_stageTimer.setSingleShot(true);
    m_stageTimer.setInterval(kDebounceMs);
    connect(&m_stageTimer, &QTimer::timeout, this, &PresetSwitcher::writeStage);
    connect(&m_store, &PresetStore::changed, this, &PresetSwitcher::onStoreChanged);
}

PresetSwitcher::~PresetSwitcher() = default;

void PresetSwitcher::setSource(std::unique_ptr<FocusSource> source)
{
    m_source = std::move(source);
    if (!m_source)
        return;
    connect(m_source.get(), &FocusSource::windowActivated, this, &PresetSwitcher::onWindowActivated);
    connect(m_source.get(), &FocusSource::reasonChanged, this, &PresetSwitcher::stateChanged);
}

void PresetSwitcher::setDebounce(int ms)
{
    m_settle.setInterval(ms);
    m_stageTimer.setInterval(ms);
}

void PresetSwitcher::start()
{
    m_store.load();
    m_store.watch();
    apply(m_store.set().defaultPreset, Cause::Start, FocusedWindow(), -1);
    if (m_source) {
        if (m_source->start())
            LOG_INFO(QStringLiteral("Application Info: presets follow the window in front (%1)").arg(m_source->name()));
        else
            LOG_INFO(QStringLiteral("Application Info: presets do not follow the window in front: %1").arg(m_source->reason()));
    }
}

void PresetSwitcher::onWindowActivated(const FocusedWindow& window)
{
    // The pages are no program to follow: the preset stays while the user
    // looks at them, and a burst that ends on them settles where it was.
    if (m_ownPid > 0 && window.pid == m_ownPid)
        return;
    // A window that only changes its title keeps the quiet time running,
    // so that a title changing all the time cannot hold a switch back.
    const bool sameWindow = m_settle.isActive() && window.app == m_pending.app && window.pid == m_pending.pid;
    m_pending = window;
    if (!sameWindow)
        m_settle.start();
}

void PresetSwitcher::settle()
{
    const FocusedWindow window = m_pending;
    // A preset chosen by hand stays while its program keeps the front (a
    // title changing is no new program).
    if (m_cause == Cause::Manual && m_seenWindow && window.app == m_window.app && window.pid == m_window.pid)
        return;
    m_seenWindow = true;
    chooseFor(window);
}

// The preset the rules give window, put into effect with why.
void PresetSwitcher::chooseFor(const FocusedWindow& window)
{
    const PresetChoice choice = choosePreset(m_store.set(), window);
    const Cause cause = window.isDesktop() ? Cause::Desktop : choice.rule >= 0 ? Cause::Rule : Cause::NoRule;
    apply(choice.preset, cause, window, choice.rule);
}

// The files changed (saved by the pages, or edited by hand): the choice is
// made again for the window in front, and a changed map of the active
// preset is in effect at once. The state is announced in any case, since
// the list of presets itself may have changed.
void PresetSwitcher::onStoreChanged()
{
    // Before start() and before any choice nothing is in effect to change
    // (orvanta-cli leaves the remapping to its commands).
    if (m_active.isEmpty())
        return;
    const PresetSet& set = m_store.set();
    if (m_cause == Cause::Manual && set.find(m_active)) {
        apply(m_active, Cause::Manual, m_window, -1);
    } else if (m_cause == Cause::Start || !m_seenWindow) {
        apply(set.defaultPreset, Cause::Start, FocusedWindow(), -1);
    } else {
        chooseFor(m_window);
    }
    emit stateChanged();
}

bool PresetSwitcher::choose(const QString& name)
{
    if (!m_store.set().find(name))
        return false;
    // The window in front stays the one the choice was made for.
    if (m_settle.isActive()) {
        m_settle.stop();
        m_window = m_pending;
        m_seenWindow = true;
    }
    apply(name, Cause::Manual, m_window, -1);
    return true;
}

void PresetSwitcher::apply(const QString& name, Cause cause, const FocusedWindow& window, int rule)
{
    const Preset* preset = m_store.set().find(name);
    if (!preset)
        return;
    const bool presetChanged = name != m_active;
    const bool changed = presetChanged || cause != m_cause || window != m_window || rule != m_rule;
    m_active = name;
    m_cause = cause;
    m_window = window;
    m_rule = rule;
    if (presetChanged) {
        LOG_INFO(QStringLiteral("Application Info: preset \"%1\" (%2%3)")
                     .arg(name, causeName(cause), window.isDesktop() ? QString() : QStringLiteral(", ") + window.app));
    }
    putMapInEffect();
    // The stage is written when another preset with a stage comes, or when
    // the active preset was given another stage; a stage still waiting
    // belongs to a preset that is gone once one without a stage comes.
    if (preset->stage && (presetChanged || preset->stage != m_activeStage)) {
        m_pendingStage = preset->stage;
        m_stageTimer.start();
    } else if (!preset->stage) {
        m_pendingStage.reset();
        m_stageTimer.stop();
    }
    m_activeStage = preset->stage;
    if (changed)
        emit stateChanged();
}

void PresetSwitcher::putMapInEffect()
{
    const Preset* preset = m_store.set().find(m_active);
    if (!preset)
        return;
    const QString map = m_paused || preset->map.isEmpty() ? kNoButtons : preset->map;
    if (m_appliedMap == map)
        return;
    m_appliedMap = map;
    if (m_loadMap)
        m_loadMap(map);
}

void PresetSwitcher::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    putMapInEffect();
    emit stateChanged();
}

void PresetSwitcher::writeStage()
{
    if (!m_pendingStage || !m_stageWriter)
        return;
    const PresetStage stage = *m_pendingStage;
    m_pendingStage.reset();
    if (!m_stageWriter->writeActiveStage(stage)) {
        LOG_WARNING(QStringLiteral("Application Error: preset \"%1\" could not set DPI stage %2 on %3")
                        .arg(m_active)
                        .arg(stage.stage + 1)
                        .arg(stage.device));
    }
}

QString PresetSwitcher::causeName(Cause cause)
{
    switch (cause) {
    case Cause::Start:
        return QStringLiteral("start");
    case Cause::Rule:
        return QStringLiteral("rule");
    case Cause::NoRule:
        return QStringLiteral("no-rule");
    case Cause::Desktop:
        return QStringLiteral("desktop");
    case Cause::Manual:
        return QStringLiteral("manual");
    }
    return QString();
}

QJsonObject PresetSwitcher::state() const
{
    QJsonObject state{{QStringLiteral("preset"), m_active},
                      {QStringLiteral("cause"), causeName(m_cause)},
                      {QStringLiteral("app"), m_window.app},
                      {QStringLiteral("title"), m_window.title},
                      {QStringLiteral("rule"), m_rule},
                      {QStringLiteral("paused"), m_paused},
                      {QStringLiteral("problems"), QJsonArray::fromStringList(m_store.problems())}};
    state.insert(QStringLiteral("source"), m_source ? m_source->name() : QStringLiteral("none"));
    state.insert(QStringLiteral("reason"), m_source ? m_source->reason() : QString());
    return state;
}
