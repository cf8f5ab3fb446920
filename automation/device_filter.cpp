#include "device_filter.h"

#include "key_value_table.h"
#include "logging.h"
#include "task_runner.h"

#include <QThread>

namespace {

quint32 heldKey(const TriggerKey& key)
{
    return (quint32(key.scancode) << 16) | key.flag;
}

} // namespace

DEVICE_FILTER::DEVICE_FILTER(std::unique_ptr<InputFilterDriver> driver, const KeyValueTable& keys,
                             TaskRunner& runner, QObject* parent)
    : QObject(parent)
    , m_driver(std::move(driver))
    , m_keys(keys)
    , m_runner(runner)
{
}

DEVICE_FILTER::~DEVICE_FILTER() = default;

bool DEVICE_FILTER::refresh(const QString& virtualStr)
{
    const ParsedTriggers parsed = parseTriggerMap(virtualStr, m_keys);
    QMutexLocker lock(&m_mutex);
    // A button held across the change is let go as if released now: a
    // repeating list stops, a held button comes up.
    const TriggerMap old = m_map;
    for (auto it = old.begin(); it != old.end(); ++it) {
        if (m_held.contains(heldKey(it.key())))
            release(it.key(), it.value());
    }
    m_held.clear();
    m_map = parsed.map;
    return parsed.hasTriggers;
}

int DEVICE_FILTER::triggerCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_map.size();
}

void DEVICE_FILTER::release(const TriggerKey& key, const TriggerRecord& record)
{
    switch (record.playType) {
    case PlayType::OnPress:
    case PlayType::OnRelease:
        m_runner.runCommands(record.task(VirtualTask::Released));
        break;
    case PlayType::Count:
    case PlayType::WhileHeld:
        m_runner.stopCommands();
        break;
    default:
        break;
    }
    m_held.remove(heldKey(key));
}

bool DEVICE_FILTER::handleStroke(const InputStroke& stroke)
{
    const bool press = MouseState::isPress(stroke.state);
    const bool releaseStroke = MouseState::isRelease(stroke.state);
    const quint16 down = releaseStroke ? quint16(stroke.state >> 1) : stroke.state;

    QMutexLocker lock(&m_mutex);
    TriggerKey key{stroke.state, kMouseTriggerFlag};
    if (!m_map.contains(key))
        key = TriggerKey{quint16(stroke.state >> 1), kMouseTriggerFlag};
    if (!m_map.contains(key))
        return false;
    // The release of a press the system saw goes to the system as well.
    if (releaseStroke && !m_swallowedDown.contains(down))
        return false;
    if (press)
        m_swallowedDown.insert(down);
    else if (releaseStroke)
        m_swallowedDown.remove(down);

    const TriggerRecord record = m_map.value(key);
    if (press) {
        if (record.playType >= PlayType::OnPress && record.playType <= PlayType::WhileHeld
            && !m_held.contains(heldKey(key)))
            m_runner.runCommands(record.task(VirtualTask::Pressed));
        m_held.insert(heldKey(key));
    } else if (releaseStroke && m_held.contains(heldKey(key))) {
        release(key, record);
    }
    return true;
}

void DEVICE_FILTER::stop()
{
    m_driver->interrupt();
}

bool DEVICE_FILTER::open()
{
    if (!m_driver->open())
        return false;
    m_driver->setMouseFilter(MouseState::RemapFilter);
    return true;
}

void DEVICE_FILTER::start()
{
    // The filter stands between the mouse and the pointer: it should not
    // wait behind other work.
    QThread::currentThread()->setPriority(QThread::HighestPriority);
    while (const std::optional<InputStroke> stroke = m_driver->receive()) {
        if (!handleStroke(*stroke))
            m_driver->send(*stroke);
    }
    m_driver->close();
    emit finished();
}
