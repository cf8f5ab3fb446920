#include "xlib_pointer_control.h"

#include <X11/Xlib.h>

namespace {

// Xlib reports protocol errors through one process-wide handler; the calls
// below run on one thread at a time (the dispatcher's) and swap it only
// around their own requests.
int g_errors = 0;

int countError(Display*, XErrorEvent*)
{
    ++g_errors;
    return 0;
}

class Connection
{
public:
    explicit Connection(const QByteArray& name)
        : m_display(XOpenDisplay(name.isEmpty() ? nullptr : name.constData()))
    {
    }
    ~Connection()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* display() const { return m_display; }

private:
    Display* m_display;
};

// Runs request on the connection and waits for the server's answer;
// false when the server answered with an error.
template <typename Request>
bool checked(Display* display, Request request)
{
    g_errors = 0;
    XErrorHandler previous = XSetErrorHandler(countError);
    request();
    XSync(display, False);
    XSetErrorHandler(previous);
    return g_errors == 0;
}

} // namespace

XlibPointerControl::XlibPointerControl(const QByteArray& display)
    : m_display(display)
{
}

bool XlibPointerControl::reachable() const
{
    return Connection(m_display).display() != nullptr;
}

bool XlibPointerControl::read(PointerControl* control)
{
    Connection connection(m_display);
    if (!connection.display())
        return false;
    int numerator = 0;
    int denominator = 0;
    int threshold = 0;
    const bool answered = checked(connection.display(), [&] {
        XGetPointerControl(connection.display(), &numerator, &denominator, &threshold);
    });
    if (!answered)
        return false;
    control->numerator = numerator;
    control->denominator = denominator;
    control->threshold = threshold;
    return true;
}

bool XlibPointerControl::change(const PointerControl& control)
{
    Connection connection(m_display);
    if (!connection.display())
        return false;
    return checked(connection.display(), [&] {
        XChangePointerControl(connection.display(), True, True, control.numerator, control.denominator,
                              control.threshold);
    });
}
