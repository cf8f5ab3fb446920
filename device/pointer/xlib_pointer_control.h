#pragma once

#include <QByteArray>

#include "x11_pointer_control.h"

// X11PointerControl over Xlib (XGetPointerControl, XChangePointerControl).
// Each call opens its own connection to the display (DISPLAY when display
// is empty) and closes it again, so a server that goes away costs a failed
// call rather than the program. An error the server answers is caught and
// reported as a failed call instead of Xlib's default of ending the
// program.
class XlibPointerControl : public X11PointerControl
{
public:
    explicit XlibPointerControl(const QByteArray& display = QByteArray());

    // True when the display can be opened.
    bool reachable() const;

    bool read(PointerControl* control) override;
    bool change(const PointerControl& control) override;

private:
    QByteArray m_display;
};
