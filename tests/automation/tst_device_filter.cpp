// The filter's trigger handling: which strokes it swallows and what it asks
// the executor for, by play type.
#include <QtTest>

#include "automation_test_support.h"
#include "device_filter.h"
#include "input_automation.h"
#include "input_stroke.h"
#include "key_value_table.h"

namespace {

// A driver that is never opened: the tests call handleStroke directly.
class IdleDriver : public InputFilterDriver
{
public:
    bool open() override { return true; }
    void setMouseFilter(quint16) override {}
    std::optional<InputStroke> receive() override { return std::nullopt; }
    void send(const InputStroke&) override {}
    void interrupt() override {}
    void close() override {}
};

// A driver that counts how often the filter opened it.
class CountingDriver : public IdleDriver
{
public:
    explicit CountingDriver(int* opens) : m_opens(opens) {}
    bool open() override
    {
        ++*m_opens;
        return true;
    }

private:
    int* m_opens;
};

// A virtual device that will not open (no /dev/uinput).
class ClosedClient : public RecordingClient
{
protected:
    bool open() override { return false; }
};

QString config(int playType)
{
    // Right button (4) plays the type under test; the middle button (16) is
    // mapped too, with play type 0.
    return QStringLiteral(R"(<map>
        <a flag="10" scancode="4" type="Keyboard" playtype="%1" playcount="1" playdelay="0" playauxiliary="0"><t value="A"/></a>
        <b flag="10" scancode="16" type="MouseFunction" playtype="0" playcount="1" playdelay="0" playauxiliary="0"><t value="Back"/></b>
        </map>)")
        .arg(playType);
}

InputStroke stroke(quint16 state)
{
    return InputStroke{11, state, 0};
}

} // namespace

class DeviceFilterTest : public QObject
{
    Q_OBJECT

    KeyValueTable m_keys;

private slots:
    void noFilterWithoutTheVirtualDevice()
    {
        // Mice grabbed with nowhere to send their other events would go
        // dead: without the virtual device the filter never opens.
        int opens = 0;
        InputAutomation::Parts parts;
        parts.client.reset(new ClosedClient);
        parts.filterDriver.reset(new CountingDriver(&opens));
        parts.startFilterWithFirstMap = true;
        InputAutomation automation(std::move(parts));
        QVERIFY(!automation.connectVMulti());
        automation.startFilter();
        QCOMPARE(automation.refreshVirtualDrive(config(1)), std::optional<bool>(false));
        QCOMPARE(opens, 0);

        // With it, the first map opens the filter.
        int opensWith = 0;
        InputAutomation::Parts ready;
        ready.client.reset(new RecordingClient);
        ready.filterDriver.reset(new CountingDriver(&opensWith));
        ready.startFilterWithFirstMap = true;
        InputAutomation working(std::move(ready));
        QVERIFY(working.connectVMulti());
        QCOMPARE(working.refreshVirtualDrive(config(1)), std::optional<bool>(true));
        QCOMPARE(opensWith, 1);
        working.shutdown();
    }

    void initTestCase() { QVERIFY(m_keys.load()); }

    void pressAndReleaseByPlayType_data()
    {
        QTest::addColumn<int>("playType");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("0: on press and on release") << 0 << QStringList({"run keyboard phase 0", "run keyboard phase 1"});
        QTest::newRow("1: runs, release stops") << 1 << QStringList({"run keyboard phase 0", "stop"});
        QTest::newRow("2: repeats, release stops") << 2 << QStringList({"run keyboard phase 0", "stop"});
        QTest::newRow("3: release only") << 3 << QStringList({"run keyboard phase 1"});
    }

    void pressAndReleaseByPlayType()
    {
        QFETCH(int, playType);
        QFETCH(QStringList, calls);
        RecordingRunner runner;
        DEVICE_FILTER filter(std::make_unique<IdleDriver>(), m_keys, runner);
        QVERIFY(filter.refresh(config(playType)));
        QVERIFY(filter.handleStroke(stroke(MouseState::RightDown)));
        // A second press while held does not start the list again.
        QVERIFY(filter.handleStroke(stroke(MouseState::RightDown)));
        QVERIFY(filter.handleStroke(stroke(MouseState::RightUp)));
        QCOMPARE(runner.calls, calls);
    }

    void unconfiguredStrokesPassAndReleasesFollowTheirPress()
    {
        RecordingRunner runner;
        DEVICE_FILTER filter(std::make_unique<IdleDriver>(), m_keys, runner);
        // The fourth button is not configured; its strokes pass.
        filter.refresh(config(0));
        QVERIFY(!filter.handleStroke(stroke(MouseState::FourthDown)));
        QVERIFY(!filter.handleStroke(stroke(MouseState::FourthUp)));

        // The right button went down before it was configured: its release
        // goes on to the system too, so the button does not stay down there.
        filter.refresh("<map/>");
        QVERIFY(!filter.handleStroke(stroke(MouseState::RightDown)));
        filter.refresh(config(0));
        QVERIFY(!filter.handleStroke(stroke(MouseState::RightUp)));
        QVERIFY(runner.calls.isEmpty());
    }

    void aNewMapLetsHeldButtonsGo()
    {
        RecordingRunner runner;
        DEVICE_FILTER filter(std::make_unique<IdleDriver>(), m_keys, runner);
        filter.refresh(config(2));
        QVERIFY(filter.handleStroke(stroke(MouseState::RightDown)));
        QVERIFY(filter.handleStroke(stroke(MouseState::MiddleDown)));
        // Anything but a map with children is a failure, and the old map is gone.
        QVERIFY(!filter.refresh("<nomap/>"));
        QCOMPARE(filter.triggerCount(), 0);
        QCOMPARE(QSet<QString>(runner.calls.begin(), runner.calls.end()),
                 QSet<QString>({"run keyboard phase 0", "run mouse phase 0", "stop", "run mouse phase 1"}));
        QCOMPARE(runner.calls.size(), 4);
    }
};

QTEST_GUILESS_MAIN(DeviceFilterTest)
#include "tst_device_filter.moc"
