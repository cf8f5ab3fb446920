// The handling of a page request before it reaches the dispatcher: the
// window-move and minimise shortcuts on a fake window, forwarding, and the
// naming of pop-up views.
#include "host_window.h"
#include "pop_widget.h"
#include "window_shortcuts.h"

#include <QTest>

namespace {
class FakeHostWindow : public HostWindow
{
public:
    bool minimized = false;
    bool maximized = false;
    QRect geometry{100, 50, 540, 425};
    QRect area;
    QStringList calls;

    bool isMinimized() const override { return minimized; }
    bool isMaximized() const override { return maximized; }
    QRect frameGeometry() const override { return geometry; }
    void restoreTo(const QRect& g) override { calls << "restoreTo"; geometry = g; minimized = maximized = false; }
    void moveAndResize(const QRect& g) override { calls << "moveAndResize"; geometry = g; }
    void minimize() override { calls << "minimize"; minimized = true; }
    void restore() override { calls << "restore"; minimized = false; }
    QRect screenArea() const override { return area; }
};

struct Recorder {
    QStringList answers;
    QueryCallbackPtr callback()
    {
        return makeQueryCallback([this](const QString& t) { answers << "ok:" + t; },
                                 [this](int c, const QString& t) { answers << QString("fail:%1:%2").arg(c).arg(t); });
    }
};
} // namespace

class TestWindowShortcuts : public QObject
{
    Q_OBJECT

private slots:
    void moveWindowNumbers();
    void moveWindowMovesOrRestores();
    void minimiseShortcut();
    void otherRequestsForwarded();
    void popupViewNames();
};

void TestWindowShortcuts::moveWindowNumbers()
{
    QCOMPARE(WindowShortcuts::moveWindowNumbers("MoveWindow 10,20,800,600"), QVector<int>({10, 20, 800, 600}));
    QCOMPARE(WindowShortcuts::moveWindowNumbers("MoveWindow:-5,7,1,2"), QVector<int>({-5, 7, 1, 2}));
    QCOMPARE(WindowShortcuts::moveWindowNumbers("MoveWindow 10,20"), QVector<int>({10, 20}));
    QCOMPARE(WindowShortcuts::moveWindowNumbers("MoveWindow 1,x,3,4"), QVector<int>({1}));
    QCOMPARE(WindowShortcuts::moveWindowNumbers("MoveWindow"), QVector<int>());
}

void TestWindowShortcuts::moveWindowMovesOrRestores()
{
    FakeHostWindow window;
    Recorder r;
    bool forwarded = false;
    auto forward = [&](const QString&, const QueryCallbackPtr&) { return forwarded = true; };

    QVERIFY(WindowShortcuts::handle("MoveWindow 10,20,800,600", r.callback(), &window, nullptr, forward));
    QCOMPARE(window.geometry, QRect(110, 70, 800, 600));
    QCOMPARE(r.answers, QStringList({"ok:"}));

    // Maximised: restored at its place with the given size.
    window.maximized = true;
    QVERIFY(WindowShortcuts::handle("MoveWindow 10,20,640,480", r.callback(), &window, nullptr, forward));
    QCOMPARE(window.calls.last(), QString("restoreTo"));
    QCOMPARE(window.geometry, QRect(110, 70, 640, 480));

    // Any other count: no reply, nothing moves, nothing forwarded.
    const QStringList calls = window.calls;
    QVERIFY(!WindowShortcuts::handle("MoveWindow 10,20", r.callback(), &window, nullptr, forward));
    QVERIFY(!WindowShortcuts::handle("MoveWindow 1,2,3,4,5", r.callback(), &window, nullptr, forward));
    QCOMPARE(window.calls, calls);
    QCOMPARE(r.answers.size(), 2);
    QVERIFY(!forwarded);

    // Sizes of nothing are refused the same way; huge sizes and far places
    // are kept on the screens.
    QVERIFY(!WindowShortcuts::handle("MoveWindow 0,0,0,480", r.callback(), &window, nullptr, forward));
    QVERIFY(!WindowShortcuts::handle("MoveWindow 0,0,640,-1", r.callback(), &window, nullptr, forward));
    QCOMPARE(window.calls, calls);
    window.area = QRect(0, 0, 1920, 1040);
    QVERIFY(WindowShortcuts::handle("MoveWindow 0,0,40000,2000000000", r.callback(), &window, nullptr, forward));
    QCOMPARE(window.geometry, QRect(0, 0, 1920, 1040));
    window.geometry = QRect(100, 50, 540, 425);
    QVERIFY(WindowShortcuts::handle("MoveWindow 2147483647,-2147483648,540,425", r.callback(), &window, nullptr,
                                    forward));
    QCOMPARE(window.geometry, QRect(1920 - 540, 0, 540, 425));
    QCOMPARE(r.answers.size(), 4);
}

void TestWindowShortcuts::minimiseShortcut()
{
    FakeHostWindow window;
    Recorder r;
    int written = 0;
    QStringList forwarded;
    auto forward = [&](const QString& text, const QueryCallbackPtr&) {
        forwarded << text;
        return true;
    };
    const QString exact = "{\"FuncName\":\"MinisizeWindow\"}";
    QVERIFY(WindowShortcuts::handle(exact, r.callback(), &window, [&]() { ++written; }, forward));
    QVERIFY(WindowShortcuts::handle(exact, r.callback(), &window, [&]() { ++written; }, forward));
    QCOMPARE(window.calls, QStringList({"minimize", "restore"}));
    QCOMPARE(written, 2);
    QCOMPARE(r.answers, QStringList({"ok:", "ok:"}));

    // Anything but the exact text is a command for the dispatcher.
    QVERIFY(WindowShortcuts::handle("{\"FuncName\": \"MinisizeWindow\"}", r.callback(), &window, [&]() { ++written; },
                                 forward));
    QVERIFY(WindowShortcuts::handle(" {\"FuncName\":\"MinisizeWindow\"}", r.callback(), &window, nullptr, forward));
    QCOMPARE(forwarded.size(), 2);
    QCOMPARE(written, 2);

    // Without a window the shortcut still writes out and answers.
    QVERIFY(WindowShortcuts::handle(exact, r.callback(), nullptr, [&]() { ++written; }, forward));
    QCOMPARE(written, 3);
}

void TestWindowShortcuts::otherRequestsForwarded()
{
    Recorder r;
    // No listener: not taken, and the handle stays unanswered.
    QueryCallbackPtr callback = r.callback();
    QVERIFY(!WindowShortcuts::handle("{\"FuncName\":\"GetDevicesList\"}", callback, nullptr, nullptr,
                                  [](const QString&, const QueryCallbackPtr&) { return false; }));
    QVERIFY(!callback->answered());
    QVERIFY(!WindowShortcuts::handle("{}", callback, nullptr, nullptr, nullptr));
}

void TestWindowShortcuts::popupViewNames()
{
    QCOMPARE(PopWidget::normalisedViewName("http://pages.orvanta.test/local/p/../q/view.html"),
             QString("http://pages.orvanta.test/local/q/view.html"));
    QCOMPARE(PopWidget::normalisedViewName("file:///x/http://pages.orvanta.test/a.html"),
             QString("http://pages.orvanta.test/a.html"));
    QCOMPARE(PopWidget::normalisedViewName("local/./view.html"), QString("local/view.html"));
}

QTEST_GUILESS_MAIN(TestWindowShortcuts)
#include "tst_window_shortcuts.moc"
