// The executor through InputAutomation: the reports of each command and
// play type, byte for byte, as the recording device sees them (keyboard
// reports with 11 bytes, mouse reports with 7), stops, hand-overs and the
// jitter of pauses.
#include <QtTest>

#include "automation_test_support.h"
#include "input_automation.h"
#include "jittered_delay.h"

namespace {

const QString K0 = QStringLiteral("40,09,07,00,00,00,00,00,00,00,00");
const QString M0 = QStringLiteral("40,05,04,00,00,00,00");

QString key(const QString& modifiers, const QString& key1 = QStringLiteral("00"))
{
    return QStringLiteral("40,09,07,%1,00,%2,00,00,00,00,00").arg(modifiers, key1);
}

VirtualTask task(const CommandList& commands, int playType = PlayType::Count, int phase = VirtualTask::Pressed,
                 int playCount = 1)
{
    VirtualTask t;
    t.commands = commands;
    t.playType = playType;
    t.playCount = playCount;
    t.phase = phase;
    return t;
}

struct Rig {
    RecordingClient* client = new RecordingClient;
    RecordingDesktop* desktop = new RecordingDesktop;
    std::unique_ptr<InputAutomation> automation;

    Rig()
    {
        InputAutomation::Parts parts;
        parts.client.reset(client);
        parts.desktop.reset(desktop);
        automation = std::make_unique<InputAutomation>(std::move(parts));
        automation->connectVMulti();
    }

    // Plays a task and waits for its reports, the all-zero keyboard report
    // of its end included.
    QStringList play(const VirtualTask& t, int reports)
    {
        const int before = client->reports().size();
        automation->runCommands(t);
        client->waitFor(before + reports);
        return client->reports().mid(before);
    }
};

} // namespace

class CommandExecTest : public QObject
{
    Q_OBJECT

private slots:
    void mouseReports()
    {
        Rig rig;
        // Vertical movement is the complement of y: 10 gives 0xF5.
        QCOMPARE(rig.play(task({{"moveXY", "5,10"}}), 2), QStringList({"40,05,04,00,05,f5,00", K0}));
        // Beyond a signed byte the movement goes out in several reports.
        QCOMPARE(rig.play(task({{"moveXY", "200,-1"}}), 3),
                 QStringList({"40,05,04,00,7f,00,00", "40,05,04,00,49,00,00", K0}));
        QCOMPARE(rig.play(task({{"WheelUp", "01"}, {"WheelDown", "FF"}, {"ScrollUp", "上滚"}, {"ScrollDown", "下滚"}}), 5),
                 QStringList({"40,05,04,00,00,00,01", "40,05,04,00,00,00,ff", "40,05,04,00,00,00,01",
                              "40,05,04,00,00,00,ff", K0}));
        // A drag: the movement keeps the button held.
        QCOMPARE(rig.play(task({{"MouseDown", "1"}, {"moveXY", "3,-1"}, {"MouseUp", "1"}}), 4),
                 QStringList({"40,05,04,01,00,00,00", "40,05,04,01,03,00,00", M0, K0}));
        // "mouse": a click, or with play type 0 down on press and up on release.
        QCOMPARE(rig.play(task({{"mouse", "2"}}), 3), QStringList({"40,05,04,02,00,00,00", M0, K0}));
        QCOMPARE(rig.play(task({{"mouse", "8"}}, PlayType::OnPress, VirtualTask::Pressed), 2),
                 QStringList({"40,05,04,08,00,00,00", K0}));
        QCOMPARE(rig.play(task({{"mouse", "8"}}, PlayType::OnPress, VirtualTask::Released), 2), QStringList({M0, K0}));
    }

    void aHugeMovementIsBoundedAndStops()
    {
        // 2^31 - 1 counts would be 17 million reports: the movement is cut
        // to what crosses any screen.
        Rig rig;
        const QStringList reports = rig.play(task({{"moveXY", "2147483647,-2147483648"}}), 131);
        QTest::qWait(100);
        QCOMPARE(rig.client->reports().size(), 131);
        QCOMPARE(reports.first(), QString("40,05,04,00,7f,7f,00"));
        QCOMPARE(reports.at(129), QString("40,05,04,00,01,01,00"));
        QCOMPARE(reports.last(), K0);

        // Held, it repeats, and letting go ends it between two reports.
        rig.automation->runCommands(task({{"moveXY", "2147483647,0"}}, PlayType::WhileHeld));
        QVERIFY(rig.client->waitFor(500));
        rig.automation->stopCommands();
        QTest::qWait(100);
        const int afterStop = rig.client->reports().size();
        QTest::qWait(200);
        QCOMPARE(rig.client->reports().size(), afterStop);
        QElapsedTimer clock;
        clock.start();
        rig.automation->runCommands(task({{"moveXY", "2147483647,0"}}, PlayType::WhileHeld));
        QVERIFY(rig.client->waitFor(afterStop + 300));
        rig.automation->shutdown();
        QVERIFY(clock.elapsed() < 5000);
    }

    void keyboardReports()
    {
        Rig rig;
        QCOMPARE(rig.play(task({{"keyboard", "04"}}, PlayType::OnPress, VirtualTask::Pressed), 2),
                 QStringList({key("00", "04"), K0}));
        QCOMPARE(rig.play(task({{"keyboard", "04"}}, PlayType::OnPress, VirtualTask::Released), 2),
                 QStringList({K0, K0}));
        QCOMPARE(rig.play(task({{"keyboard", "E1"}}, PlayType::OnRelease), 3), QStringList({key("02"), K0, K0}));
        // Modifier and key: key down with the modifier, the modifier alone,
        // then nothing; once per press.
        QCOMPARE(rig.play(task({{"keyboard", "E0,06"}}), 4), QStringList({key("01", "06"), key("01"), K0, K0}));
        QCOMPARE(rig.play(task({{"keyboard", "E0,06"}}, PlayType::OnPress, VirtualTask::Released), 1), QStringList({K0}));
        QCOMPARE(rig.play(task({{"keyboard", "E0,E1,04"}}), 4), QStringList({key("03", "04"), key("03"), K0, K0}));
        QCOMPARE(rig.play(task({{"hotKey", "E2,2B"}}), 4), QStringList({key("04", "2b"), key("04"), K0, K0}));
        QCOMPARE(rig.play(task({{"hotKey", "E0,E1,04"}}), 1), QStringList({K0}));
        // Macro presses and releases: a release lets go of its own key only.
        QCOMPARE(rig.play(task({{"KeybroadDown", "E0"}, {"KeybroadDown", "06"}, {"KeybroadUp", "06"},
                                {"KeybroadUp", "E0"}}),
                          5),
                 QStringList({key("01"), key("01", "06"), key("01"), K0, K0}));
        QVERIFY(rig.client->leavesNothingDown());
    }

    void whileHeldSingleKeyPlaysNothing()
    {
        Rig rig;
        rig.automation->runCommands(task({{"keyboard", "04"}}, PlayType::WhileHeld));
        QTest::qWait(30);
        rig.automation->stopCommands();
        QVERIFY(rig.client->waitFor(3));
        for (const QString& report : rig.client->reports())
            QVERIFY2(report == K0 || report == M0, qPrintable(report));
    }

    void switchCustomGatesEverythingElse()
    {
        Rig rig;
        QCOMPARE(rig.play(task({{"SwitchCustom", ""}, {"KeybroadDown", "04"}}), 1), QStringList({K0}));
        QCOMPARE(rig.play(task({{"KeybroadDown", "05"}, {"text", "x"}}), 1), QStringList({K0}));
        QCOMPARE(rig.play(task({{"SwitchCustom", ""}, {"KeybroadDown", "06"}}), 2), QStringList({key("00", "06"), K0}));
        QVERIFY(rig.desktop->actions().isEmpty());
    }

    void stopDuringPlayReleasesEverything()
    {
        Rig rig;
        rig.automation->runCommands(task({{"MouseDown", "1"}, {"KeybroadDown", "04"}, {"DelayTime", "20"},
                                          {"KeybroadUp", "04"}},
                                         PlayType::WhileHeld));
        QVERIFY(rig.client->waitFor(6));
        rig.automation->stopCommands();
        rig.automation->shutdown();
        const QStringList reports = rig.client->reports();
        QVERIFY(reports.contains(key("00", "04")));
        QVERIFY(rig.client->leavesNothingDown());
        QCOMPARE(reports.mid(reports.size() - 2), QStringList({K0, M0}));
    }

    void aNewTaskReplacesTheRunningOne()
    {
        Rig rig;
        rig.automation->runCommands(task({{"KeybroadDown", "04"}, {"DelayTime", "200"}, {"KeybroadUp", "04"}},
                                         PlayType::WhileHeld));
        QVERIFY(rig.client->waitFor(1));
        rig.automation->runCommands(task({{"KeybroadDown", "05"}, {"KeybroadUp", "05"}}));
        QTRY_VERIFY(rig.client->reports().contains(key("00", "05")));
        rig.automation->shutdown();
        QVERIFY(rig.client->leavesNothingDown());
        // The first task was cut short: its key came up without its own release.
        QCOMPARE(rig.client->reports().count(key("00", "04")), 1);
    }

    void desktopCommandsAndTheReleaseRule()
    {
        Rig rig;
        // A release of play type 0 plays only lists that begin with "mouse"
        // or "keyboard".
        rig.automation->runCommands(task({{"text", "dropped"}}, PlayType::OnPress, VirtualTask::Released));
        rig.play(task({{"MouseMove", "100,200"}, {"text", "hi"}, {"shortcut", "mail"}, {"MouseMove", "bad"}}), 1);
        QCOMPARE(rig.desktop->actions(), QStringList({"pointer 100,200", "text hi", "shortcut mail"}));
    }

    void pausesJitterByAtMostTwoMilliseconds()
    {
        QSet<int> seen;
        for (int clock = 0; clock < 86400000; clock += 7919) {
            QCOMPARE(jitteredDelay(2, clock), 2);
            QCOMPARE(jitteredDelay(0, clock), 0);
            const int d = jitteredDelay(100, clock);
            QVERIFY(d >= 98 && d <= 102);
            // Odd clocks take off, even ones add.
            QVERIFY(clock % 2 ? d <= 100 : d >= 100);
            seen.insert(d);
        }
        QCOMPARE(seen.size(), 5);
    }
};

QTEST_GUILESS_MAIN(CommandExecTest)
#include "tst_command_exec.moc"
