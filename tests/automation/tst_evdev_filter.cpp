// The evdev input filter on a fake of its kernel side: which mice it takes,
// how it splits their event frames into strokes and passed events, hot-plug
// and mice going away.
#include <QtTest>

#include "evdev_input_filter.h"

#include <linux/input-event-codes.h>

namespace {

class FakeBackend : public EvdevBackend
{
public:
    bool start(QString*) override { return true; }
    void stop() override { log << "stop"; }
    QStringList mouseNodes() override { return nodes; }
    int openDevice(const QString& node, QString* error, bool* denied) override
    {
        if (deniedNodes.contains(node)) {
            *denied = true;
            *error = "denied";
            return -1;
        }
        const int handle = nextHandle++;
        handles[handle] = node;
        return handle;
    }
    bool createClone(int handle, QString*) override { return !noClone.contains(handles[handle]); }
    bool grab(int handle) override
    {
        log << "grab " + handles[handle];
        return true;
    }
    void closeDevice(int handle) override { log << "close " + handles.take(handle); }
    WaitResult wait(const QVector<int>& open, QVector<int>* readable, bool* changed) override
    {
        *changed = devicesChanged;
        devicesChanged = false;
        for (int handle : open) {
            if (!pending.value(handles.value(handle)).isEmpty() || goneNodes.contains(handles.value(handle)))
                readable->append(handle);
        }
        // Nothing left to happen: end like an interrupted wait.
        return readable->isEmpty() && !*changed ? Woken : Ready;
    }
    bool read(int handle, QVector<KernelInputEvent>* events) override
    {
        const QString node = handles.value(handle);
        if (goneNodes.contains(node))
            return false;
        *events = pending[node].takeFirst();
        return true;
    }
    bool writeClone(int handle, const QVector<KernelInputEvent>& events) override
    {
        QStringList text;
        for (const KernelInputEvent& e : events)
            text << QStringLiteral("%1:%2:%3").arg(e.type).arg(e.code).arg(e.value);
        log << handles[handle] + " <- " + text.join(' ');
        return true;
    }
    void wake() override {}

    QStringList nodes;
    QStringList deniedNodes;
    QStringList noClone;
    QStringList goneNodes;
    bool devicesChanged = false;
    QMap<QString, QList<QVector<KernelInputEvent>>> pending;
    QMap<int, QString> handles;
    QStringList log;
    int nextHandle = 3;
};

const KernelInputEvent SYN{EV_SYN, SYN_REPORT, 0};

} // namespace

class EvdevFilterTest : public QObject
{
    Q_OBJECT

private slots:
    void takesOnlyMiceItCanCarryOn()
    {
        auto backend = std::make_unique<FakeBackend>();
        FakeBackend& fake = *backend;
        fake.nodes = QStringList({"/dev/input/event1", "/dev/input/event2", "/dev/input/event3"});
        fake.noClone = QStringList({"/dev/input/event2"});
        fake.deniedNodes = QStringList({"/dev/input/event3"});
        EvdevInputFilter filter(std::move(backend));
        QVERIFY(filter.open());
        QCOMPARE(filter.grabbedNodes(), QStringList({"/dev/input/event1"}));
        // Without a clone a mouse is never grabbed: the pointer would die.
        QCOMPARE(fake.log, QStringList({"grab /dev/input/event1", "close /dev/input/event2"}));
        filter.close();
        QCOMPARE(fake.log.mid(2), QStringList({"close /dev/input/event1", "stop"}));
    }

    void framesSplitIntoStrokesAndPassedEvents()
    {
        auto backend = std::make_unique<FakeBackend>();
        FakeBackend& fake = *backend;
        const QString mouse = "/dev/input/event1";
        fake.nodes = QStringList({mouse});
        fake.pending[mouse] = {
            {{EV_MSC, MSC_SCAN, 90001}, {EV_KEY, BTN_RIGHT, 1}, {EV_REL, REL_X, 5}, SYN},
            {{EV_KEY, BTN_LEFT, 1}, {EV_KEY, BTN_RIGHT, 2}, SYN, {EV_KEY, BTN_SIDE, 0}, {EV_KEY, BTN_FORWARD, 1}, SYN},
            {{EV_REL, REL_WHEEL, -1}, {EV_SYN, SYN_DROPPED, 0}, {EV_KEY, BTN_MIDDLE, 1}, SYN},
        };
        EvdevInputFilter filter(std::move(backend));
        QVERIFY(filter.open());
        filter.setMouseFilter(0x3FC);
        fake.log.clear();

        std::optional<InputStroke> stroke = filter.receive();
        QVERIFY(stroke);
        QCOMPARE(stroke->state, quint16(0x004));
        QCOMPARE(stroke->code, quint16(BTN_RIGHT));
        filter.send(*stroke);
        QCOMPARE(fake.log, QStringList({mouse + " <- 4:4:90001 2:0:5 0:0:0", mouse + " <- 1:273:1 0:0:0"}));

        // The left button and autorepeat pass; back up and forward down are strokes.
        fake.log.clear();
        QCOMPARE(filter.receive()->state, quint16(0x080));
        QCOMPARE(filter.receive()->state, quint16(0x100));
        QCOMPARE(fake.log, QStringList({mouse + " <- 1:272:1 1:273:2 0:0:0"}));

        // Events before a drop are thrown away; what follows counts.
        fake.log.clear();
        QCOMPARE(filter.receive()->state, quint16(0x010));
        QVERIFY(fake.log.isEmpty());
        QVERIFY(!filter.receive());
    }

    void miceComeAndGo()
    {
        auto backend = std::make_unique<FakeBackend>();
        FakeBackend& fake = *backend;
        fake.nodes = QStringList({"/dev/input/event1", "/dev/input/event2"});
        EvdevInputFilter filter(std::move(backend));
        QVERIFY(filter.open());
        filter.setMouseFilter(0x3FC);

        // The first mouse is unplugged, a third arrives and clicks.
        fake.goneNodes << "/dev/input/event1";
        fake.nodes = QStringList({"/dev/input/event2", "/dev/input/event5"});
        fake.devicesChanged = true;
        fake.pending["/dev/input/event5"] = {{{EV_KEY, BTN_EXTRA, 1}, SYN}};
        const std::optional<InputStroke> stroke = filter.receive();
        QVERIFY(stroke);
        QCOMPARE(stroke->state, quint16(0x100));
        QCOMPARE(filter.grabbedNodes(), QStringList({"/dev/input/event2", "/dev/input/event5"}));
        QVERIFY(fake.log.contains("close /dev/input/event1"));

        filter.interrupt();
        fake.pending["/dev/input/event2"] = {{{EV_KEY, BTN_RIGHT, 1}, SYN}};
        QVERIFY(!filter.receive());
    }

    void strokeStates()
    {
        QCOMPARE(EvdevInputFilter::strokeState({EV_KEY, BTN_LEFT, 0}), quint16(0x002));
        QCOMPARE(EvdevInputFilter::strokeState({EV_KEY, BTN_BACK, 1}), quint16(0x040));
        QCOMPARE(EvdevInputFilter::strokeState({EV_KEY, BTN_EXTRA, 0}), quint16(0x200));
        QCOMPARE(EvdevInputFilter::strokeState({EV_KEY, KEY_A, 1}), quint16(0));
        QCOMPARE(EvdevInputFilter::strokeState({EV_REL, BTN_RIGHT, 1}), quint16(0));
    }
};

QTEST_GUILESS_MAIN(EvdevFilterTest)
#include "tst_evdev_filter.moc"
