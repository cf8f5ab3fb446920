#pragma once

#include "key_capture_target.h"

class WebView;

// The keyboard capture's target in the program: the browser view in the
// window that sent the last page request (the page that asked for the
// capture), else the current listener or the main view.
class ViewKeyCaptureTarget : public KeyCaptureTarget
{
public:
    QWindow* captureWindow() const override;
    bool deliverCapturedKey(QKeyEvent& event) override;

    WebView* currentView() const;
};
