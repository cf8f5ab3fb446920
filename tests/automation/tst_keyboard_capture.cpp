// The keyboard capture: its state, one grab however often it starts, and
// the keys going to the page (system keys included) and coming up again at
// the end. Runs on the offscreen platform, where nothing can be grabbed;
// tst_x11_keyboard_grab runs the X11 grab under a virtual X server.
#include <QtTest>
#include <QWindow>

#include "key_capture_target.h"
#include "keyboard_capture.h"

namespace {

class RecordingTarget : public KeyCaptureTarget
{
public:
    QWindow* captureWindow() const override { return window; }
    bool deliverCapturedKey(QKeyEvent& event) override
    {
        keys << QStringLiteral("%1 %2").arg(event.type() == QEvent::KeyPress ? "press" : "release").arg(event.key(), 0, 16);
        return true;
    }
    void captureStarted(std::function<void()> whenGone) override
    {
        gone = std::move(whenGone);
        ++started;
    }
    void captureEnded() override
    {
        gone = nullptr;
        ++ended;
    }
    QWindow* window = nullptr;
    QStringList keys;
    std::function<void()> gone;
    int started = 0;
    int ended = 0;
};

// A capture whose platform always grabs, and counts.
class CountingCapture : public KeyboardCapture
{
public:
    using KeyboardCapture::KeyboardCapture;
    ~CountingCapture() override { end(); }
    int grabs = 0;

protected:
    bool grabKeyboard(QWindow*) override
    {
        ++grabs;
        return true;
    }
    void releaseKeyboard() override { --grabs; }
    QString focusOnlyReason() const override { return QString(); }
};

} // namespace

class KeyboardCaptureTest : public QObject
{
    Q_OBJECT

private slots:
    void startsLeaveOneGrabAndStopReleasesIt()
    {
        QWindow window;
        RecordingTarget target;
        target.window = &window;
        {
            CountingCapture capture(&target);
            QCOMPARE(capture.stop(), QString());   // a stop without a start
            capture.start();
            capture.start();
            QCOMPARE(capture.grabs, 1);
            QVERIFY(capture.isRunning() && capture.isGrabbed());
            QVERIFY(capture.state().startTimeMs > 0 || QTime::currentTime().msecsSinceStartOfDay() < 1000);
            QCOMPARE(capture.stop(), QString());
            QCOMPARE(capture.grabs, 0);
            QVERIFY(!capture.isRunning());
            capture.start();
            QCOMPARE(capture.grabs, 1);
        }
        // The end of the capture object ends its grab (counted before the
        // object went: nothing to check but that it did not crash).
    }

    void keysGoToThePageAndComeUpAtTheEnd()
    {
        QWindow window;
        window.create();
        RecordingTarget target;
        target.window = &window;
        FocusKeyboardCapture capture(&target, QStringLiteral("offscreen"));
        capture.start();
        QVERIFY(!capture.isGrabbed());

        QTest::keyPress(&window, Qt::Key_Alt);
        QTest::keyRelease(&window, Qt::Key_Alt);
        QTest::keyPress(&window, Qt::Key_F10);
        QTest::keyPress(&window, Qt::Key_A);
        QCOMPARE(capture.state().pressCount, 3);
        QCOMPARE(capture.state().releaseCount, 1);

        // No shortcut of the program takes a key while the capture runs.
        QKeyEvent shortcut(QEvent::ShortcutOverride, Qt::Key_Q, Qt::ControlModifier);
        shortcut.ignore();
        QCoreApplication::sendEvent(&window, &shortcut);
        QVERIFY(shortcut.isAccepted());

        capture.stop();
        QStringList expected = {"press 1000023", "release 1000023", "press 1000039", "press 41"};
        QCOMPARE(target.keys.mid(0, 4), expected);
        // The keys still down come up, in any order.
        QStringList rest = target.keys.mid(4);
        rest.sort();
        QCOMPARE(rest, QStringList({"release 1000039", "release 41"}));

        // Afterwards the window has its keys back.
        target.keys.clear();
        QTest::keyClick(&window, Qt::Key_B);
        QVERIFY(target.keys.isEmpty());
    }

    void aCaptureEndsWhenItsPageGoesOrNoKeyComes()
    {
        // The page that asked for the capture reloads (or crashes, or its
        // view closes) without saying stop: the keyboard goes back, and the
        // key it held down comes up.
        QWindow window;
        window.create();
        RecordingTarget target;
        target.window = &window;
        CountingCapture capture(&target);
        QSignalSpy abandoned(&capture, &KeyboardCapture::abandoned);
        capture.start();
        QCOMPARE(target.started, 1);
        QVERIFY(target.gone);
        QTest::keyPress(&window, Qt::Key_A);
        target.gone();
        QVERIFY(!capture.isRunning());
        QCOMPARE(capture.grabs, 0);
        QCOMPARE(target.keys, (QStringList{"press 41", "release 41"}));
        QCOMPARE(abandoned.count(), 1);
        QCOMPARE(target.ended, 1);
        QVERIFY(!target.gone);

        // A capture that gets no key for the idle time ends on its own;
        // each key starts the time again.
        capture.setIdleTimeoutMs(300);
        capture.start();
        QTest::qWait(200);
        QTest::keyClick(&window, Qt::Key_B);
        QTest::qWait(200);
        QVERIFY(capture.isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!capture.isRunning(), 2000);
        QCOMPARE(capture.grabs, 0);
        QCOMPARE(abandoned.count(), 2);
        QVERIFY(abandoned.last().at(0).toString().contains("no key"));

        // A capture stopped by its page tells the target too, and nothing
        // ends it a second time.
        capture.start();
        capture.stop();
        QCOMPARE(target.ended, 3);
        QTest::qWait(400);
        QCOMPARE(abandoned.count(), 2);
    }

    void withoutAWindowOnlyTheStateIsKept()
    {
        FocusKeyboardCapture capture(nullptr, QString());
        capture.start();
        QVERIFY(capture.isRunning());
        QVERIFY(!capture.isGrabbed());
        QCOMPARE(capture.stop(), QString());
        QVERIFY(!capture.isRunning());
    }
};

QTEST_MAIN(KeyboardCaptureTest)
#include "tst_keyboard_capture.moc"
