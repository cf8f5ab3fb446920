#pragma once

#include "keyboard_capture.h"

#include <QPointer>
#include <QWindow>

// The capture on X11: an active keyboard grab (XGrabKeyboard through Qt's
// X11 platform) for the top-level window of the current browser view.
// While it holds, the X server sends every keystroke to the program (the
// window manager's own keys such as Super, Alt+Tab and Ctrl+Alt+arrows
// included) and other programs get none. Ending the capture ungrabs; so
// does the end of the program.
class X11KeyboardCapture : public KeyboardCapture
{
public:
    explicit X11KeyboardCapture(KeyCaptureTarget* target, QObject* parent = nullptr);
    ~X11KeyboardCapture() override;

    // True when the program runs on Qt's X11 platform.
    static bool available();

protected:
    bool grabKeyboard(QWindow* window) override;
    void releaseKeyboard() override;
    QString focusOnlyReason() const override;

private:
    QPointer<QWindow> m_window;
};
