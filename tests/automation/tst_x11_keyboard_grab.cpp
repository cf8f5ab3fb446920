// The keyboard capture's X11 grab, on a virtual X server (run through
// xvfb-run): while it holds, another X client can neither grab the keyboard
// nor keep its keys from the program, and keystrokes reach the page with
// their hardware key codes; after the stop the keyboard is free again.
#include <QtTest>
#include <QWindow>

#include "key_capture_target.h"
#include "x11_keyboard_capture.h"

namespace {

class RecordingTarget : public KeyCaptureTarget
{
public:
    QWindow* captureWindow() const override { return window; }
    bool deliverCapturedKey(QKeyEvent& event) override
    {
        if (event.type() == QEvent::KeyPress)
            pressedScanCodes << event.nativeScanCode();
        return true;
    }
    QWindow* window = nullptr;
    QList<quint32> pressedScanCodes;
};

} // namespace

// Xlib's macros (KeyPress, None, ...) clash with Qt's names: Xlib comes after
// the Qt code that uses them.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// Whether another client can grab the keyboard now.
bool otherClientCanGrab(Display* other)
{
    const int status = XGrabKeyboard(other, DefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (status == GrabSuccess)
        XUngrabKeyboard(other, CurrentTime);
    XSync(other, False);
    return status == GrabSuccess;
}

} // namespace

class X11KeyboardGrabTest : public QObject
{
    Q_OBJECT

private slots:
    void grabHoldsUntilStop()
    {
        if (!X11KeyboardCapture::available())
            QSKIP("needs Qt's X11 platform (run under xvfb-run with QT_QPA_PLATFORM=xcb)");
        Display* other = XOpenDisplay(nullptr);
        QVERIFY(other);

        QWindow window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        RecordingTarget target;
        target.window = &window;
        X11KeyboardCapture capture(&target);
        QVERIFY(otherClientCanGrab(other));

        capture.start();
        capture.start();
        QVERIFY(capture.isGrabbed());
        QVERIFY(!otherClientCanGrab(other));

        const KeyCode a = XKeysymToKeycode(other, XK_a);
        XTestFakeKeyEvent(other, a, True, CurrentTime);
        XTestFakeKeyEvent(other, a, False, CurrentTime);
        XSync(other, False);
        QTRY_COMPARE(target.pressedScanCodes, QList<quint32>({quint32(a)}));

        capture.stop();
        QVERIFY(!capture.isGrabbed());
        // The ungrab leaves with Qt's next flush of its X connection.
        QGuiApplication::sync();
        QVERIFY(otherClientCanGrab(other));
        XCloseDisplay(other);
    }
};

QTEST_MAIN(X11KeyboardGrabTest)
#include "tst_x11_keyboard_grab.moc"
