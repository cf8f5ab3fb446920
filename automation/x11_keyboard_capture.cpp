#include "x11_keyboard_capture.h"

#include <QGuiApplication>

X11KeyboardCapture::X11KeyboardCapture(KeyCaptureTarget* target, QObject* parent)
    : KeyboardCapture(target, parent)
{
}

X11KeyboardCapture::~X11KeyboardCapture()
{
    end();
}

bool X11KeyboardCapture::available()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        && QGuiApplication::platformName() == QLatin1String("xcb");
}

bool X11KeyboardCapture::grabKeyboard(QWindow* window)
{
    // The grab fails while the window is not viewable (hidden in the tray)
    // or while another program holds the keyboard.
    if (!window->setKeyboardGrabEnabled(true))
        return false;
    m_window = window;
    return true;
}

void X11KeyboardCapture::releaseKeyboard()
{
    if (m_window)
        m_window->setKeyboardGrabEnabled(false);
    m_window = nullptr;
}

QString X11KeyboardCapture::focusOnlyReason() const
{
    return QStringLiteral("the X server refused the keyboard grab");
}
