#include "keyboard_capture.h"

#include "key_capture_target.h"
#include "logging.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTime>
#include <QTimer>
#include <QWindow>

KeyboardCapture::KeyboardCapture(KeyCaptureTarget* target, QObject* parent)
    : QObject(parent)
    , m_target(target)
    , m_idle(new QTimer(this))
{
    m_idle->setSingleShot(true);
    m_idle->setInterval(kDefaultIdleTimeoutMs);
    connect(m_idle, &QTimer::timeout, this, [this]() {
        abandon(QStringLiteral("no key for %1 s").arg(m_idle->interval() / 1000.0));
    });
}

void KeyboardCapture::setIdleTimeoutMs(int ms)
{
    m_idle->setInterval(ms);
}

int KeyboardCapture::idleTimeoutMs() const
{
    return m_idle->interval();
}

void KeyboardCapture::abandon(const QString& why)
{
    if (!m_state.started)
        return;
    LOG_INFO(QStringLiteral("Application Info: keyboard capture ended: %1").arg(why));
    end();
    emit abandoned(why);
}

KeyboardCapture::~KeyboardCapture()
{
    qDeleteAll(m_held);
}

void KeyboardCapture::start()
{
    end();
    m_state = KeyboardCaptureState();
    const QTime now = QTime::currentTime();
    m_state.startTimeMs = now.isValid() ? now.msecsSinceStartOfDay() : 0;
    m_state.started = true;
    if (!m_target)
        return;

    QCoreApplication::instance()->installEventFilter(this);
    m_filtering = true;
    QWindow* window = m_target->captureWindow();
    m_grabbed = window && grabKeyboard(window);
    m_idle->start();
    QPointer<KeyboardCapture> self(this);
    m_target->captureStarted([self]() {
        if (self)
            self->abandon(QStringLiteral("the page that asked for it went away"));
    });
    const QString reason = focusOnlyReason();
    if (!m_grabbed && !m_toldFocusOnly && !reason.isEmpty()) {
        m_toldFocusOnly = true;
        LOG_INFO(QStringLiteral("Application Info: keyboard capture runs without a grab (%1): the page gets keys "
                                "while its window has focus")
                     .arg(reason));
    }
}

QString KeyboardCapture::stop()
{
    const QString text = m_state.text;
    end();
    return text;
}

void KeyboardCapture::end()
{
    m_idle->stop();
    if (m_state.started && m_target)
        m_target->captureEnded();
    if (m_grabbed)
        releaseKeyboard();
    m_grabbed = false;
    if (m_filtering)
        QCoreApplication::instance()->removeEventFilter(this);
    m_filtering = false;
    releaseHeldKeys();
    m_state.started = false;
}

bool KeyboardCapture::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_state.started || m_delivering || !m_target)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Accepted here, no shortcut of the program takes the key.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // Keys come from the window system to a window first; from there
        // they go to the page instead of the window's focus widget.
        if (!event->spontaneous() || !qobject_cast<QWindow*>(watched))
            return false;
        deliver(*static_cast<QKeyEvent*>(event));
        return true;
    default:
        return false;
    }
}

void KeyboardCapture::deliver(QKeyEvent& event)
{
    QKeyEvent copy(event.type(), event.key(), event.modifiers(), event.nativeScanCode(), event.nativeVirtualKey(),
                   event.nativeModifiers(), event.text(), event.isAutoRepeat(), event.count());
    m_delivering = true;
    const bool delivered = m_target->deliverCapturedKey(copy);
    m_delivering = false;
    if (!delivered)
        return;
    m_idle->start();

    // A key is known by its scan code (the same on press and release,
    // whatever the modifiers make of its key); events made up without one
    // by their key.
    const quint32 scanCode = event.nativeScanCode();
    const quint32 id = scanCode ? scanCode : 0x80000000u | quint32(event.key());
    if (event.type() == QEvent::KeyPress) {
        ++m_state.pressCount;
        if (!m_held.contains(id))
            m_held.insert(id, new QKeyEvent(QEvent::KeyRelease, event.key(), Qt::NoModifier, scanCode,
                                            event.nativeVirtualKey(), 0, event.text()));
    } else {
        ++m_state.releaseCount;
        delete m_held.take(id);
    }
}

void KeyboardCapture::releaseHeldKeys()
{
    const QHash<quint32, QKeyEvent*> held = m_held;
    m_held.clear();
    for (QKeyEvent* release : held) {
        if (m_target) {
            m_delivering = true;
            m_target->deliverCapturedKey(*release);
            m_delivering = false;
        }
        delete release;
    }
}

FocusKeyboardCapture::FocusKeyboardCapture(KeyCaptureTarget* target, const QString& reason, QObject* parent)
    : KeyboardCapture(target, parent)
    , m_reason(reason)
{
}

FocusKeyboardCapture::~FocusKeyboardCapture()
{
    end();
}
