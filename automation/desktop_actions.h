#pragma once

#include <QString>

#include <functional>

// What the command lists ask of the desktop itself rather than of the
// virtual keyboard and mouse. Called on the executor's thread. Where the
// desktop lacks a piece (no X display, no such program) the action logs
// one line and does nothing else.
class DesktopActions
{
public:
    virtual ~DesktopActions() = default;

    // Places the pointer at screen position (x, y).
    virtual void placePointer(int x, int y) = 0;
    // Types text into the window under the pointer; nothing when there is
    // none. Typing ends early once stop() answers true (asked between
    // characters).
    virtual void typeText(const QString& text, const std::function<bool()>& stop) = 0;
    // "mail": the mail composer; "calculatrice", "notepad", "stikynot": the
    // calculator, text editor and colour tool; anything else: "file:///"
    // and the value, opened with the desktop's default handler.
    virtual void openShortcut(const QString& value) = 0;
};
