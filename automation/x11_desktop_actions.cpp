#include "x11_desktop_actions.h"

#include "logging.h"

#include <QThread>
#include <QVector>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

X11DesktopActions::X11DesktopActions(ShortcutLauncher launcher)
    : m_launcher(std::move(launcher))
{
}

X11DesktopActions::~X11DesktopActions()
{
    if (m_display)
        XCloseDisplay(m_display);
}

Display* X11DesktopActions::display(const char* action)
{
    if (!m_opened) {
        m_opened = true;
        m_display = XOpenDisplay(nullptr);
    }
    if (!m_display && !m_warned.contains(action)) {
        m_warned.insert(action);
        LOG_WARNING(QStringLiteral("Application Error: %1 needs an X display (none here): nothing done")
                        .arg(QString::fromLatin1(action)));
    }
    return m_display;
}

void X11DesktopActions::placePointer(int x, int y)
{
    Display* dpy = display("MouseMove");
    if (!dpy)
        return;
    XWarpPointer(dpy, None, DefaultRootWindow(dpy), 0, 0, 0, 0, x, y);
    XFlush(dpy);
}

unsigned long X11DesktopActions::keysymFor(char32_t codePoint)
{
    if (codePoint == U'\n' || codePoint == U'\r')
        return XK_Return;
    if (codePoint == U'\t')
        return XK_Tab;
    if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0) || codePoint > 0x10FFFF)
        return 0;
    if (codePoint < 0x100)
        return codePoint;
    return 0x1000000 + codePoint;
}

int X11DesktopActions::spareKeycode()
{
    if (m_spare >= 0)
        return m_spare;
    int low = 0;
    int high = 0;
    XDisplayKeycodes(m_display, &low, &high);
    int perCode = 0;
    KeySym* map = XGetKeyboardMapping(m_display, KeyCode(low), high - low + 1, &perCode);
    if (!map)
        return m_spare = 0;
    m_spare = 0;
    for (int code = high; code >= low && !m_spare; --code) {
        bool empty = true;
        for (int i = 0; i < perCode && empty; ++i)
            empty = map[(code - low) * perCode + i] == NoSymbol;
        if (empty)
            m_spare = code;
    }
    XFree(map);
    return m_spare;
}

void X11DesktopActions::typeKeysym(unsigned long keysym)
{
    KeyCode code = XKeysymToKeycode(m_display, keysym);
    int level = -1;
    if (code) {
        if (XkbKeycodeToKeysym(m_display, code, 0, 0) == keysym)
            level = 0;
        else if (XkbKeycodeToKeysym(m_display, code, 0, 1) == keysym)
            level = 1;
    }
    if (level >= 0) {
        const KeyCode shift = XKeysymToKeycode(m_display, XK_Shift_L);
        if (level == 1 && shift)
            XTestFakeKeyEvent(m_display, shift, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        if (level == 1 && shift)
            XTestFakeKeyEvent(m_display, shift, False, CurrentTime);
        XSync(m_display, False);
        return;
    }

    // The layout lacks the character: lend it a spare key code for one
    // stroke. The receiving program reads the mapping when the key comes,
    // so the mapping stays until it had time to.
    const int spare = spareKeycode();
    if (!spare)
        return;
    KeySym bound[2] = {KeySym(keysym), KeySym(keysym)};
    XChangeKeyboardMapping(m_display, spare, 2, bound, 1);
    XSync(m_display, False);
    XTestFakeKeyEvent(m_display, KeyCode(spare), True, CurrentTime);
    XTestFakeKeyEvent(m_display, KeyCode(spare), False, CurrentTime);
    XSync(m_display, False);
    QThread::msleep(20);
    KeySym none[2] = {NoSymbol, NoSymbol};
    XChangeKeyboardMapping(m_display, spare, 2, none, 1);
    XSync(m_display, False);
}

void X11DesktopActions::typeText(const QString& text, const std::function<bool()>& stop)
{
    Display* dpy = display("text");
    if (!dpy)
        return;
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(dpy, &event, &error, &major, &minor)) {
        if (!m_warned.contains("XTEST")) {
            m_warned.insert("XTEST");
            LOG_WARNING(QStringLiteral("Application Error: text needs the XTEST extension of the X server: nothing done"));
        }
        return;
    }
    // Nothing is typed when no window lies under the pointer.
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int x = 0;
    int y = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(dpy, DefaultRootWindow(dpy), &root, &child, &rootX, &rootY, &x, &y, &mask) || child == None)
        return;
    for (char32_t codePoint : text.toUcs4()) {
        if (stop && stop())
            return;
        const unsigned long keysym = keysymFor(codePoint);
        if (keysym)
            typeKeysym(keysym);
    }
}

void X11DesktopActions::openShortcut(const QString& value)
{
    m_launcher.open(value);
}
