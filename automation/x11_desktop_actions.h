#pragma once

#include "desktop_actions.h"
#include "shortcut_launcher.h"

#include <QSet>

typedef struct _XDisplay Display;

// DesktopActions on an X11 desktop (and on XWayland for X clients). It
// keeps a display connection of its own, opened on first use in the thread
// that plays the commands:
// - the pointer is placed with XWarpPointer;
// - text is typed through the XTEST extension into the focused window, once
//   a window lies under the pointer: characters the keyboard layout has are
//   typed with their key (and Shift where the layout puts them there);
//   others are bound for the moment to a spare key code and the mapping
//   restored after each;
// - shortcuts go to ShortcutLauncher.
// Without an X display the pointer and text actions log one line, once.
class X11DesktopActions : public DesktopActions
{
public:
    explicit X11DesktopActions(ShortcutLauncher launcher = ShortcutLauncher());
    ~X11DesktopActions() override;

    void placePointer(int x, int y) override;
    void typeText(const QString& text, const std::function<bool()>& stop) override;
    void openShortcut(const QString& value) override;

    // The keysym that types a character: Return for line breaks, Tab,
    // Latin-1 keysyms for Latin-1, Unicode keysyms (0x1000000 + code point)
    // for the rest; 0 for other control characters.
    static unsigned long keysymFor(char32_t codePoint);

private:
    Display* display(const char* action);
    void typeKeysym(unsigned long keysym);
    int spareKeycode();

    ShortcutLauncher m_launcher;
    Display* m_display = nullptr;
    bool m_opened = false;
    int m_spare = -1;
    QSet<QByteArray> m_warned;
};
