#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class KeyCaptureTarget;
class QKeyEvent;
class QTimer;
class QWindow;

// What a capture knows about itself; one capture runs in the process at a
// time.
struct KeyboardCaptureState {
    bool started = false;
    // Milliseconds since midnight when the capture started; 0 when the
    // clock is invalid.
    int startTimeMs = 0;
    // Key presses and releases handed to the page since the start.
    int pressCount = 0;
    int releaseCount = 0;
    // Returned by stop(); nothing fills it, so the page gets "".
    QString text;
};

// The keyboard capture of macro recording: while it runs, every keystroke
// the program receives goes to the current browser view, Alt and F10
// included, and no shortcut of the program fires. The platform part takes
// the keyboard from the rest of the desktop (X11: an active keyboard grab
// for the view's window), so Super, Alt+Tab and the like reach the page
// too; where the platform cannot (Wayland, no display) the capture works
// while the window has focus.
//
// Every key the capture handed down is handed up again when the capture
// ends, so the page never sees a key stuck down.
//
// A capture also ends without a stop: when the page that asked for it goes
// (another page loads in its view, its renderer ends, the view closes) and
// when no key has come for idleTimeoutMs(), so that a page that can no
// longer say stop never keeps the desktop's keyboard.
//
// Without a target (orvanta-cli) the capture keeps its state only.
// Lives in the GUI thread.
class KeyboardCapture : public QObject
{
    Q_OBJECT
public:
    explicit KeyboardCapture(KeyCaptureTarget* target, QObject* parent = nullptr);
    ~KeyboardCapture() override;

    // Starts a capture; a running one is ended first, so two starts leave
    // one grab.
    void start();
    // Ends the capture and returns a copy of the capture text.
    QString stop();

    const KeyboardCaptureState& state() const { return m_state; }
    bool isRunning() const { return m_state.started; }
    // True while the platform holds the keyboard for the program.
    bool isGrabbed() const { return m_grabbed; }

    static constexpr int kDefaultIdleTimeoutMs = 60000;
    void setIdleTimeoutMs(int ms);
    int idleTimeoutMs() const;

signals:
    // The capture ended without a stop; why says what ended it.
    void abandoned(const QString& why);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The platform part: take the keyboard from the desktop for window, and
    // give it back. grabKeyboard answers false when it cannot.
    virtual bool grabKeyboard(QWindow* window) = 0;
    virtual void releaseKeyboard() = 0;
    // Written to the log when a capture starts without a grab.
    virtual QString focusOnlyReason() const = 0;

    // Subclasses end a running capture in their destructor, while their
    // release still works.
    void end();

private:
    void deliver(QKeyEvent& event);
    void releaseHeldKeys();
    void abandon(const QString& why);

    KeyCaptureTarget* m_target;
    KeyboardCaptureState m_state;
    bool m_grabbed = false;
    bool m_filtering = false;
    bool m_delivering = false;
    bool m_toldFocusOnly = false;
    QHash<quint32, QKeyEvent*> m_held;   // the keys handed down, by scan code
    QTimer* m_idle = nullptr;
};

// The capture where the platform offers no grab, or where there is no
// window at all: the keys reach the page while its window has focus.
class FocusKeyboardCapture : public KeyboardCapture
{
public:
    // reason: the log line's explanation ("" for none, as without a window).
    FocusKeyboardCapture(KeyCaptureTarget* target, const QString& reason, QObject* parent = nullptr);
    ~FocusKeyboardCapture() override;

protected:
    bool grabKeyboard(QWindow*) override { return false; }
    void releaseKeyboard() override {}
    QString focusOnlyReason() const override { return m_reason; }

private:
    QString m_reason;
};
