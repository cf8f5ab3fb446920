// The trigger map from a configuration text, on the shipped key value
// table: every "type", the macro steps and what counts as a map.
#include <QtTest>

#include "key_value_table.h"
#include "trigger_map.h"

namespace {

QString trigger(const QString& type, const QString& value, int scancode = 4, int playType = 0)
{
    return QStringLiteral(R"(<k flag="10" scancode="%1" type="%2" name="n" playtype="%3" playcount="2" playdelay="30" playauxiliary="7"><task value="%4"/></k>)")
        .arg(scancode)
        .arg(type)
        .arg(playType)
        .arg(value.toHtmlEscaped());
}

QString mapOf(const QStringList& triggers)
{
    return QStringLiteral("<map name=\"x\">") + triggers.join(QString()) + QStringLiteral("</map>");
}

} // namespace

class TriggerMapTest : public QObject
{
    Q_OBJECT

    KeyValueTable m_keys;

private slots:
    void initTestCase() { QVERIFY(m_keys.load()); }

    void everyTypeGivesItsCommands()
    {
        const QList<QPair<QStringList, CommandList>> cases = {
            {{"Keyboard", "Ctrl+c"}, {{"keyboard", "E0,06"}}},
            {{"HotKey", "Left Shift+Num 1"}, {{"keyboard", "E1,59"}}},
            {{"HotKey", "Nokey+A"}, {{"keyboard", "04"}}},
            {{"Keyboard", "Nokey"}, {}},
            {{"MouseFunction", "Back"}, {{"mouse", "8"}}},
            {{"Mouse", "Forward"}, {{"mouse", "10"}}},
            {{"Mouse", "DoubleClick"}, {}},
            {{"shortcut", "calculatrice"}, {{"shortcut", "calculatrice"}}},
            {{"text", "héllo"}, {{"text", "héllo"}}},
            {{"macrofun", "自定义开关()"}, {{"SwitchCustom", "自定义开关()"}}},
            {{"macrofun", "打断执行()"}, {{"StopCustom", "打断执行()"}}},
            {{"macrofun", "other()"}, {}},
            {{"Unknown", "x"}, {}},
        };
        for (const auto& c : cases) {
            const ParsedTriggers parsed = parseTriggerMap(mapOf({trigger(c.first[0], c.first[1])}), m_keys);
            QVERIFY(parsed.hasTriggers);
            QCOMPARE(parsed.map.value(TriggerKey{4, 10}).commands, c.second);
        }
    }

    void macroSteps()
    {
        const CommandList commands = macroCommands(
            "按下(ctrl)按下(a)延迟(50)弹起(a)弹起(Ctrl)按下(左键)相对位移XY( 5,10 )弹起(左键)滚轮(下滚)滚轮(上滚)"
            "按下(后退)(orphan)nothing 延迟()按下(nokey)跳(1)",
            m_keys);
        const CommandList expected = {
            {"KeybroadDown", "E0"}, {"KeybroadDown", "04"}, {"DelayTime", "50"}, {"KeybroadUp", "04"},
            {"KeybroadUp", "E0"}, {"MouseDown", "1"}, {"moveXY", "5,10"}, {"MouseUp", "1"},
            {"ScrollDown", "下滚"}, {"ScrollUp", "上滚"}, {"MouseDown", "8"},
        };
        QCOMPARE(commands, expected);
    }

    void recordsAndWhatCountsAsAMap()
    {
        ParsedTriggers parsed =
            parseTriggerMap(mapOf({trigger("Keyboard", "A", 16, 2), trigger("Keyboard", "B", 256, 3),
                                   R"(<k flag="10" scancode="64" type="Keyboard"/>)"}),
                            m_keys);
        QVERIFY(parsed.hasTriggers);
        QCOMPARE(parsed.map.size(), 2);   // the trigger without a child is skipped
        const TriggerRecord middle = parsed.map.value(TriggerKey{16, 10});
        QCOMPARE(middle.playType, 2);
        QCOMPARE(middle.playCount, 2);
        QCOMPARE(middle.playDelay, 30);
        QCOMPARE(middle.playAuxiliary, 7);
        const VirtualTask released = middle.task(VirtualTask::Released);
        QCOMPARE(released.phase, int(VirtualTask::Released));
        QCOMPARE(released.commands, middle.commands);

        // A map whose only child has no child still counts (and is empty).
        parsed = parseTriggerMap(R"(<map><k flag="10" scancode="4"/></map>)", m_keys);
        QVERIFY(parsed.hasTriggers);
        QVERIFY(parsed.map.isEmpty());
        for (const QString& text : {QString("<map/>"), QString("<map>text</map>"), QString("<other><k/></other>"),
                                    QString("not xml <"), QString()}) {
            parsed = parseTriggerMap(text, m_keys);
            QVERIFY2(!parsed.hasTriggers && parsed.map.isEmpty(), qPrintable(text));
        }
        // The shipped virtual-key document parses as a map of four buttons.
        QFile shipped(":/drive/Virtual");
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        parsed = parseTriggerMap(QString::fromUtf8(shipped.readAll()), m_keys);
        QCOMPARE(parsed.map.value(TriggerKey{4, 10}).commands, CommandList({{"mouse", "2"}}));
        QCOMPARE(parsed.map.size(), 4);
    }
};

QTEST_GUILESS_MAIN(TriggerMapTest)
#include "tst_trigger_map.moc"
