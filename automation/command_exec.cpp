#include "command_exec.h"

#include "desktop_actions.h"
#include "jittered_delay.h"
#include "logging.h"
#include "virtual_report.h"

#include <QDeadlineTimer>
#include <QStringList>

namespace {

constexpr quint8 kUsageLeftControl = 0xE0;
constexpr int kMaxMoveCounts = 16384;

// The modifier bit of a usage 0xE0..0xE7; 0 for other usages.
quint8 modifierBit(quint8 usage)
{
    return usage >= 0xE0 && usage <= 0xE7 ? quint8(1u << (usage - kUsageLeftControl)) : 0;
}

bool hexValue(const QString& text, quint32* value)
{
    bool ok = false;
    *value = text.trimmed().toUInt(&ok, 16);
    return ok;
}

// "x,y" as two decimal numbers.
bool decimalPair(const QString& text, int* x, int* y)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2)
        return false;
    bool okX = false;
    bool okY = false;
    *x = parts.at(0).trimmed().toInt(&okX, 10);
    *y = parts.at(1).trimmed().toInt(&okY, 10);
    return okX && okY;
}

qint8 clampStep(int value)
{
    return qint8(qBound(-127, value, 127));
}

} // namespace

commandExec::commandExec(const VirtualTask& task, pvmulti_client client, DesktopActions* desktop, QObject* parent)
    : QObject(parent)
    , m_client(client)
    , m_desktop(desktop)
    , m_task(task)
{
}

commandExec::~commandExec()
{
    quit();
}

bool commandExec::accepts(const VirtualTask& task)
{
    if (task.playType == PlayType::OnPress && task.phase == VirtualTask::Released) {
        const QString first = task.commands.isEmpty() ? QString() : task.commands.first().name;
        return first == QLatin1String("mouse") || first == QLatin1String("keyboard");
    }
    return true;
}

void commandExec::handOver(const VirtualTask& task)
{
    if (!accepts(task))
        return;
    QMutexLocker lock(&m_mutex);
    m_task = task;
    if (!m_stop)
        stopOutputNow();
    m_stop = false;
    ++m_generation;
    m_pending = true;
    m_wake.wakeAll();
}

void commandExec::requestStop()
{
    QMutexLocker lock(&m_mutex);
    m_stop = true;
    m_wake.wakeAll();
}

void commandExec::onStopOutput(bool)
{
    m_stop = true;
}

void commandExec::quit()
{
    QMutexLocker lock(&m_mutex);
    m_quit = true;
    m_stop = true;
    m_wake.wakeAll();
}

void commandExec::start()
{
    LOG_INFO(QStringLiteral("start PASS....."));
    while (true) {
        VirtualTask task;
        {
            QMutexLocker lock(&m_mutex);
            if (m_quit)
                break;
            task = m_task;
            m_running = m_generation;
            m_pending = false;
        }
        m_modifiers = 0;
        m_keys.clear();
        runTask(task);
        {
            QMutexLocker lock(&m_mutex);
            // A task handed over meanwhile keeps the flag clear for itself.
            if (m_running == m_generation)
                m_stop = true;
        }
        m_modifiers = 0;
        m_keys.clear();
        emit taskFinished(m_client);
        {
            QMutexLocker lock(&m_mutex);
            while (!m_pending && !m_quit)
                m_wake.wait(&m_mutex);
            if (m_quit)
                break;
        }
        LOG_INFO(QStringLiteral("WAIT PASS....."));
    }
}

bool commandExec::interrupted() const
{
    return m_stop || m_quit || m_running != m_generation;
}

void commandExec::releaseAll()
{
    m_modifiers = 0;
    m_keys.clear();
    m_buttons = 0;
    if (m_client) {
        m_client->write(VirtualReport::keyboard(0));
        m_client->write(VirtualReport::mouse(0));
    }
}

void commandExec::stopOutputNow()
{
    m_stop = true;
    if (m_client) {
        m_client->write(VirtualReport::keyboard(0));
        m_client->write(VirtualReport::mouse(0));
    }
    LOG_INFO(QStringLiteral("stopOutputNow==========================="));
}

void commandExec::pause(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    QDeadlineTimer deadline(milliseconds, Qt::PreciseTimer);
    QMutexLocker lock(&m_mutex);
    while (!interrupted() && !deadline.hasExpired())
        m_wake.wait(&m_mutex, deadline);
}

void commandExec::jitteredPause(int milliseconds)
{
    pause(jitteredDelay(milliseconds));
}

void commandExec::runTask(const VirtualTask& task)
{
    if (task.commands.isEmpty())
        return;
    const auto stopped = [this]() {
        if (m_stop || m_quit)
            stopOutputNow();
        else
            releaseAll();   // replaced by a newer task: that one keeps the flag
    };
    switch (task.playType) {
    case PlayType::OnPress:
        if (task.phase == VirtualTask::Released) {
            runList(task);
            return;
        }
        Q_FALLTHROUGH();
    case PlayType::Count:
    case PlayType::OnRelease:
        for (int i = 0; i < task.playCount; ++i) {
            if (interrupted()) {
                stopped();
                return;
            }
            if (!runList(task))
                return;
            pause(task.playDelay);
        }
        return;
    case PlayType::WhileHeld:
        while (!interrupted()) {
            if (!runList(task))
                return;
            // At least a millisecond between repetitions: a list without a
            // pause would otherwise spin and flood the device while held.
            pause(qMax(task.playDelay, 1));
        }
        // The button was let go: nothing the list pressed stays down.
        stopped();
        return;
    default:
        return;
    }
}

bool commandExec::runList(const VirtualTask& task)
{
    for (const VirtualCommand& command : task.commands) {
        if (interrupted()) {
            if (m_stop || m_quit)
                stopOutputNow();
            else
                releaseAll();
            return false;
        }
        execute(command, task);
    }
    return true;
}

void commandExec::sendKeyboard()
{
    if (m_client)
        m_client->write(VirtualReport::keyboard(m_modifiers, m_keys.constData(), m_keys.size()));
}

void commandExec::sendMouse(qint8 dx, qint8 dy, qint8 wheel)
{
    if (m_client)
        m_client->write(VirtualReport::mouse(m_buttons, dx, dy, wheel));
}

void commandExec::execute(const VirtualCommand& command, const VirtualTask& task)
{
    const QString& name = command.name;
    if (name == QLatin1String("SwitchCustom")) {
        m_enabled = !m_enabled;
        return;
    }
    if (name == QLatin1String("StopCustom")) {
        stopOutputNow();
        return;
    }
    if (!m_enabled)
        return;

    // The value as a key: a left-hand modifier (E0 to E3) gives its bit,
    // anything else read as hexadecimal a key usage.
    quint32 number = 0;
    const bool isHex = hexValue(command.value, &number);
    const QString upper = command.value.trimmed().toUpper();
    const bool isModifier = upper == QLatin1String("E0") || upper == QLatin1String("E1")
        || upper == QLatin1String("E2") || upper == QLatin1String("E3");
    const quint8 bit = isModifier ? modifierBit(quint8(number)) : 0;
    const quint8 usage = !isModifier && isHex ? quint8(number) : 0;

    if (name == QLatin1String("KeybroadDown")) {
        m_modifiers |= bit;
        if (usage && !m_keys.contains(usage) && m_keys.size() < VirtualReport::kMaxKeys)
            m_keys.append(usage);
        sendKeyboard();
    } else if (name == QLatin1String("KeybroadUp")) {
        // Releasing a modifier clears its bit: the key is up afterwards.
        m_modifiers &= quint8(~bit);
        m_keys.removeAll(usage);
        sendKeyboard();
    } else if (name == QLatin1String("DelayTime")) {
        bool ok = false;
        const int ms = command.value.trimmed().toInt(&ok, 10);
        if (ok)
            jitteredPause(ms);
    } else if (name == QLatin1String("MouseDown")) {
        if (isHex) {
            m_buttons |= quint8(number & 0x1F);
            sendMouse();
        }
    } else if (name == QLatin1String("MouseUp")) {
        m_buttons = isHex && (number & 0x1F) ? quint8(m_buttons & ~number) : quint8(0);
        sendMouse();
    } else if (name == QLatin1String("MouseMove")) {
        int x = 0;
        int y = 0;
        if (m_desktop && decimalPair(command.value, &x, &y))
            m_desktop->placePointer(x, y);
    } else if (name == QLatin1String("moveXY")) {
        int x = 0;
        int y = 0;
        if (decimalPair(command.value, &x, &y))
            moveBy(x, ~y);
    } else if (name == QLatin1String("WheelUp") || name == QLatin1String("WheelDown")) {
        if (isHex)
            sendMouse(0, 0, qint8(quint8(number & 0xFF)));
    } else if (name == QLatin1String("ScrollUp")) {
        sendMouse(0, 0, 1);
    } else if (name == QLatin1String("ScrollDown")) {
        sendMouse(0, 0, -1);
    } else if (name == QLatin1String("mouse")) {
        if (isHex)
            playMouse(quint8(number & 0x1F), task);
    } else if (name == QLatin1String("keyboard")) {
        playKeyboard(command.value, task, false);
    } else if (name == QLatin1String("hotKey")) {
        playKeyboard(command.value, task, true);
    } else if (name == QLatin1String("text")) {
        if (m_desktop)
            m_desktop->typeText(command.value, [this]() { return interrupted(); });
    } else if (name == QLatin1String("shortcut")) {
        if (m_desktop)
            m_desktop->openShortcut(command.value);
    }
}

void commandExec::moveBy(int x, int y)
{
    // A report moves at most 127 counts each way; larger movements go out
    // in several reports rather than wrapping round to the other direction.
    // One movement crosses at most kMaxMoveCounts each way (more than any
    // screen): a number from a page cannot make millions of reports, and a
    // stop or a quit ends it between two reports.
    x = qBound(-kMaxMoveCounts, x, kMaxMoveCounts);
    y = qBound(-kMaxMoveCounts, y, kMaxMoveCounts);
    while (!interrupted()) {
        const qint8 dx = clampStep(x);
        const qint8 dy = clampStep(y);
        sendMouse(dx, dy, 0);
        x -= dx;
        y -= dy;
        if (x == 0 && y == 0)
            return;
    }
}

void commandExec::playMouse(quint8 buttons, const VirtualTask& task)
{
    if (task.playType == PlayType::OnPress) {
        // The button follows the trigger: down on press, up on release.
        if (task.phase == VirtualTask::Pressed)
            m_buttons |= buttons;
        else
            m_buttons &= quint8(~buttons);
        sendMouse();
        return;
    }
    m_buttons |= buttons;
    sendMouse();
    pause(50);
    m_buttons &= quint8(~buttons);
    sendMouse();
}

void commandExec::playKeyboard(const QString& value, const VirtualTask& task, bool hotKey)
{
    const QStringList items = value.split(QLatin1Char(','));
    QVector<quint8> usages;
    for (const QString& item : items) {
        quint32 number = 0;
        if (hexValue(item, &number) && number > 0 && number <= 0xFF)
            usages.append(quint8(number));
    }
    if (hotKey) {
        if (items.size() == 2 && usages.size() == 2)
            playChord(usages, 50);
        return;
    }
    if (items.size() >= 2) {
        // A combination plays once per press; the release of a play-type-0
        // trigger has nothing left to do.
        if (task.playType == PlayType::OnPress && task.phase == VirtualTask::Released)
            return;
        playChord(usages, 10);
        return;
    }
    if (usages.isEmpty())
        return;
    const quint8 usage = usages.first();
    const quint8 bit = usage >= 0xE0 && usage <= 0xE3 ? modifierBit(usage) : 0;
    const auto down = [&]() {
        m_modifiers |= bit;
        if (!bit && !m_keys.contains(usage) && m_keys.size() < VirtualReport::kMaxKeys)
            m_keys.append(usage);
        sendKeyboard();
    };
    const auto up = [&]() {
        m_modifiers &= quint8(~bit);
        m_keys.removeAll(usage);
        sendKeyboard();
    };
    switch (task.playType) {
    case PlayType::OnPress:
        if (task.phase == VirtualTask::Pressed)
            down();
        else
            up();
        break;
    case PlayType::Count:
    case PlayType::OnRelease:
        down();
        jitteredPause(50);
        up();
        break;
    default:
        break;
    }
}

void commandExec::playChord(const QVector<quint8>& usages, int pauseMs)
{
    // Modifiers go into the modifier byte, other keys into the key codes:
    // "E0,06" is Ctrl+C, "E0,E1,04" Ctrl+Shift+A.
    quint8 modifiers = 0;
    QVector<quint8> keys;
    for (quint8 usage : usages) {
        if (const quint8 bit = modifierBit(usage))
            modifiers |= bit;
        else if (keys.size() < VirtualReport::kMaxKeys && !keys.contains(usage))
            keys.append(usage);
    }
    if (m_client)
        m_client->write(VirtualReport::keyboard(modifiers, keys.constData(), keys.size()));
    jitteredPause(pauseMs);
    if (m_client)
        m_client->write(VirtualReport::keyboard(modifiers));
    jitteredPause(pauseMs);
    m_modifiers = 0;
    m_keys.clear();
    if (m_client)
        m_client->write(VirtualReport::keyboard(0));
}
