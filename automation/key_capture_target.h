#pragma once

#include <functional>

class QKeyEvent;
class QWindow;

// Where the keyboard capture sends what it takes: the current browser view
// of the program. The main window implements it; the capture itself knows
// no views.
class KeyCaptureTarget
{
public:
    virtual ~KeyCaptureTarget() = default;

    // The top-level window of the current browser view, which the keyboard
    // is grabbed for; nullptr when there is none.
    virtual QWindow* captureWindow() const = 0;
    // Hands a key press or release to the current browser view, where the
    // page's own key handlers see it (system keys such as Alt and F10
    // included). False when there is no view.
    virtual bool deliverCapturedKey(QKeyEvent& event) = 0;

    // A capture started for the view that asked for it: gone is to be
    // called once that view starts another page, its renderer ends or it
    // closes, so that the keyboard never stays with a page that can no
    // longer let it go. captureEnded() follows when the capture ends, for
    // whatever reason.
    virtual void captureStarted(std::function<void()> gone) { (void)gone; }
    virtual void captureEnded() {}
};
