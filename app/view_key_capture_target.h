#pragma once

#include "key_capture_target.h"

#include <QList>
#include <QMetaObject>

class WebView;

// The keyboard capture's target in the program: the browser view in the
// window that sent the last page request (the page that asked for the
// capture), else the current listener or the main view. A capture ends when
// the view it started for loads another page, loses its renderer or goes.
class ViewKeyCaptureTarget : public KeyCaptureTarget
{
public:
    ~ViewKeyCaptureTarget() override;

    QWindow* captureWindow() const override;
    bool deliverCapturedKey(QKeyEvent& event) override;
    void captureStarted(std::function<void()> gone) override;
    void captureEnded() override;

    WebView* currentView() const;

private:
    QList<QMetaObject::Connection> m_watch;
};
