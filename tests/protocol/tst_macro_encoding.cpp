// The macro step parser and the step bytes of the mouse, keyboard and W1.0
// families, checked on the Driver definitions compiled into the program.
#include <QtTest>

#include "device_functions.h"
#include "driver_lookup.h"
#include "macro_block_w1.h"
#include "macro_encoding.h"
#include "macro_steps.h"

namespace {

// Item values read as hexadecimal, so that "0x0c" and "c" compare equal.
QList<uint> values(const QStringList& items)
{
    QList<uint> out;
    for (QString item : items) {
        if (item.startsWith("0x"))
            item = item.mid(2);
        bool ok = false;
        out << item.toUInt(&ok, 16);
        if (!ok)
            out << 0xDEADu;
    }
    return out;
}

QList<uint> values(const QString& list)
{
    return values(list.split(','));
}

MacroStep step(const char* type, const char* value)
{
    return MacroStep{QString::fromUtf8(type), QString::fromUtf8(value)};
}

} // namespace

class MacroEncodingTest : public QObject
{
    Q_OBJECT

    DriverLookup m_lookup;

private slots:
    void initTestCase() { QVERIFY(m_lookup.registerDefaultDrivers() >= 6); }
    void init() { QVERIFY(m_lookup.loadDriver("M1.0")); }

    void parsesEveryLabel()
    {
        bool ok = false;
        const MacroSteps steps = parseMacroSteps(
            m_lookup,
            QString::fromUtf8(" 按下 ( A ) 弹起(A)延迟(100)按下(左键)弹起(右键)滚轮(下滚)滚轮(上滚)"
                              "相对位移XY(10,5)按下(Ctrl)"),
            &ok);
        QVERIFY(ok);
        const MacroSteps expected{step("keyDown", "04"), step("keyUp", "04"),      step("delay", "100"),
                                  step("mDown", "0x81"), step("mUp", "0x82"),       step("ScrollDown", "1"),
                                  step("ScrollUp", "1"), step("moveXY", "10,5"),    step("keyDown", "e0")};
        QCOMPARE(steps.size(), expected.size());
        for (int i = 0; i < steps.size(); ++i) {
            QCOMPARE(steps.at(i).type, expected.at(i).type);
            if (i != 8)
                QCOMPARE(steps.at(i).value, expected.at(i).value);
        }
        // Ctrl names the left-hand key while a macro is parsed, and the flag
        // is restored afterwards.
        QCOMPARE(values(QStringList{steps.at(8).value}), QList<uint>{0xE0});
        QVERIFY(!m_lookup.macroEncoding());
    }

    void skipsUnknownAndOpenlessPieces()
    {
        bool ok = false;
        const MacroSteps steps = parseMacroSteps(
            m_lookup, QString::fromUtf8("(A)按下)未知(A)按下(NoSuchKey)滚轮(侧滚)按下(B)  "), &ok);
        QVERIFY(ok);
        QCOMPARE(steps.size(), 1);
        QCOMPARE(steps.at(0).type, QStringLiteral("keyDown"));
        QVERIFY(parseMacroSteps(m_lookup, QString(), &ok).isEmpty());
        QVERIFY(ok);
    }

    void refusesMalformedStepLists_data()
    {
        QTest::addColumn<QString>("task");
        QTest::newRow("last step not closed") << QString::fromUtf8("按下(A)弹起(A");
        QTest::newRow("middle step not closed") << QString::fromUtf8("按下(A 弹起(A)");
        QTest::newRow("only an open step") << QString::fromUtf8("延迟(");
        QTest::newRow("pause not a number") << QString::fromUtf8("延迟(ten)");
        QTest::newRow("negative pause") << QString::fromUtf8("延迟(-5)");
        QTest::newRow("move with one number") << QString::fromUtf8("相对位移XY(10)");
        QTest::newRow("move not hexadecimal") << QString::fromUtf8("相对位移XY(1g,2)");
    }
    void refusesMalformedStepLists()
    {
        QFETCH(QString, task);
        bool ok = true;
        QVERIFY(parseMacroSteps(m_lookup, task, &ok).isEmpty());
        QVERIFY(!ok);
        QVERIFY(!m_lookup.macroEncoding());
    }

    void encodesTheTwelveByteMacroAndItsEndlessForm()
    {
        const MacroSteps steps{step("keyDown", "04"), step("keyUp", "04"), step("delay", "100")};
        const QStringList items = macroItems(steps, 1, true);
        QCOMPARE(items, QStringList({"0x84", "04", "0x00", "0x04", "04", "0x00", "0x06", "64", "0", "0x07", "1",
                                     "0x00"}));
        QCOMPARE(macroItems(steps, 1, false), items.mid(0, 9));
        QVERIFY(macroWithoutEndRecord("M2.0"));
        QVERIFY(macroWithoutEndRecord("M4.0"));
        QVERIFY(!macroWithoutEndRecord("M1.0"));
        QVERIFY(!macroWithoutEndRecord("K1.0"));
        QVERIFY(macroItems(MacroSteps(), 1, true).isEmpty());

        const QStringList padded = padMacroItems(items);
        QCOMPARE(padded.size(), 200);
        QCOMPARE(padded.mid(0, 12), items);
        QCOMPARE(padded.mid(12).count("0x00"), 188);
        QStringList longList;
        for (int i = 0; i < 201; ++i)
            longList << "1";
        QCOMPARE(padMacroItems(longList).size(), 201);

        QCOMPARE(values(macroButtonCode(3, 12)), QList<uint>({0x04, 0x00, 0x03, 0x0C}));
        QCOMPARE(values(macroButtonCodeK2(3, 12)), QList<uint>({0x04, 0x03, 0x0C, 0x00}));
    }

    void encodesEveryStepType()
    {
        QCOMPARE(macroStepBytes(step("mDown", "0x81")), QStringLiteral("0x81,0x81,0x00"));
        QCOMPARE(macroStepBytes(step("mUp", "0x82")), QStringLiteral("0x01,0x82,0x00"));
        QCOMPARE(macroStepBytes(step("ScrollDown", "1")), QStringLiteral("0x03,0xff,0x00"));
        QCOMPARE(macroStepBytes(step("ScrollUp", "1")), QStringLiteral("0x03,0x01,0x00"));
        QCOMPARE(macroStepBytes(step("delay", "1000")), QStringLiteral("0x06,e8,3"));
        QCOMPARE(macroStepBytes(step("delay", "65535")), QStringLiteral("0x06,ff,ff"));
        QCOMPARE(macroStepBytes(step("other", "1")), QString());
    }

    void encodesMoves()
    {
        QCOMPARE(macroStepBytes(step("moveXY", "10,5")).split(','),
                 QStringList({"0x85", "00", "10", "0x05", "ff", "fb"}));
        QCOMPARE(macroStepBytes(step("moveXY", "0,5")), QStringLiteral("0x05,ff,fb"));
        QCOMPARE(macroStepBytes(step("moveXY", "1ff,0")), QStringLiteral("0x85,01,ff"));
        QCOMPARE(macroStepBytes(step("moveXY", "0,0")), QString());
        // A move by nothing leaves no empty item between its neighbours.
        const QStringList items =
            macroItems({step("keyDown", "04"), step("moveXY", "0,0"), step("keyUp", "04")}, 1, false);
        QCOMPARE(items, QStringList({"0x84", "04", "0x00", "0x04", "04", "0x00"}));
    }

    void splitsLongPausesSoNoByteOverflows()
    {
        QCOMPARE(macroStepBytes(step("delay", "65536")), QStringLiteral("0x06,ff,ff,0x06,1,0"));
        QCOMPARE(macroStepBytes(step("delay", "200000")),
                 QStringLiteral("0x06,ff,ff,0x06,ff,ff,0x06,ff,ff,0x06,43,d"));
        for (const uint value : values(macroStepBytes(step("delay", "200000"))))
            QVERIFY(value <= 0xFF);
        QCOMPARE(macroStepBytes(step("delay", "131070")), QStringLiteral("0x06,ff,ff,0x06,ff,ff"));
        QCOMPARE(macroStepBytes(step("delay", "0")), QStringLiteral("0x06,0,0"));
    }

    // Pauses and step lists past a slot are refused without building what
    // they ask for: 2^64 - 1 ms used to build 2.8e14 records.
    void macrosPastASlotStayBounded()
    {
        for (const char* pause : {"18446744073709551615", "100000000000", "13107001"}) {
            const QStringList items = macroStepBytes(step("delay", pause)).split(',');
            QCOMPARE(items.size(), 3 * 67);
            QVERIFY(macroItems({step("keyDown", "04"), step("delay", pause)}, 1, true).size() <= 3 * 68);
        }
        QVERIFY(macroItems(MacroSteps() << QVector<MacroStep>(100000, step("keyDown", "04")).toList(), 1, true).size()
                <= 203);
        // Exactly what one slot holds still fits: 65 pause records and the end.
        QCOMPARE(macroItems({step("delay", QByteArray::number(65 * 65535).constData())}, 1, true).size(), 198);
        DeviceFunctions device;
        QCOMPARE(encodeMacro(m_lookup, device, "258A1007", {step("delay", "18446744073709551615")}, "1", false),
                 QString());
    }

    void readsOnlyRepeatCountsThatFitAByte()
    {
        quint8 repeat = 0;
        QVERIFY(macroRepeatCount("255", &repeat));
        QCOMPARE(repeat, quint8(255));
        QVERIFY(macroRepeatCount(" 0 ", &repeat));
        QCOMPARE(repeat, quint8(0));
        QVERIFY(!macroRepeatCount("256", &repeat));
        QVERIFY(!macroRepeatCount("-1", &repeat));
        QVERIFY(!macroRepeatCount("99999999999999999999", &repeat));
        // Empty or unreadable counts count as 0.
        repeat = 7;
        QVERIFY(macroRepeatCount("", &repeat));
        QCOMPARE(repeat, quint8(0));
        repeat = 7;
        QVERIFY(macroRepeatCount("x", &repeat));
        QCOMPARE(repeat, quint8(0));
    }

    void buildsTheW1BlockForAWithATenMillisecondPause()
    {
        const QStringList block = macroBlockW1({step("keyDown", "04"), step("delay", "10")});
        QCOMPARE(block, QStringList({"1", "0x81", "04", "0x00", "0", "a", "0x00", "0x05", "c0"}));
        QVERIFY(macroBlockW1(MacroSteps()).isEmpty());
    }

    void encodesW1Steps()
    {
        QCOMPARE(macroStepBytesW1(step("keyDown", "e0")), QStringLiteral("0x80,01,0x00"));
        QCOMPARE(macroStepBytesW1(step("keyUp", "E7")), QStringLiteral("0x40,80,0x00"));
        QCOMPARE(macroStepBytesW1(step("keyDown", "0xE1")), QStringLiteral("0x80,02,0x00"));
        QCOMPARE(macroStepBytesW1(step("keyUp", "04")), QStringLiteral("0x41,04,0x00"));
        QCOMPARE(macroStepBytesW1(step("keyDown", "df")), QStringLiteral("0x81,df,0x00"));
        QCOMPARE(macroStepBytesW1(step("mDown", "0x81")), QStringLiteral("0x81,0x81,0x00"));
        QCOMPARE(macroStepBytesW1(step("mUp", "0x82")), QStringLiteral("0x01,0x82,0x00"));
        QCOMPARE(macroStepBytesW1(step("ScrollDown", "1")), QStringLiteral("0x03,0xff,0x00"));
        QCOMPARE(macroStepBytesW1(step("ScrollUp", "1")), QStringLiteral("0x03,0x01,0x00"));
        QCOMPARE(macroStepBytesW1(step("delay", "300")), QStringLiteral("1,2c"));
        // Moves give nothing on W1.0; a long pause is clamped to two bytes.
        QCOMPARE(macroStepBytesW1(step("moveXY", "10,5")), QString());
        QCOMPARE(macroStepBytesW1(step("delay", "70000")), QStringLiteral("ff,ff"));
    }

    void checksTheW1BlockSum()
    {
        const QStringList block = macroBlockW1({step("keyDown", "e1"), step("delay", "300"), step("keyUp", "e1"),
                                                step("delay", "5"), step("moveXY", "1,1")});
        QCOMPARE(block.first(), QStringLiteral("2"));
        uint sum = 0;
        for (const uint value : values(block))
            sum += value;
        QCOMPARE(sum & 0xFF, 0x55u);
    }

    void placesW1BlocksByButton()
    {
        QCOMPARE(macroBlockAddressW1("61"), QStringLiteral("31f"));
        QCOMPARE(macroBlockAddressW1("62"), QStringLiteral("49f"));
        QCOMPARE(macroBlockAddressW1(" 63 "), QStringLiteral("61f"));
        QCOMPARE(macroBlockAddressW1("76"), QString::number(0x31F + 0x180 * 15, 16));
        // Only buttons have a block: any other Index would land on settings.
        QCOMPARE(macroBlockAddressW1("60"), QString());
        QCOMPARE(macroBlockAddressW1("77"), QString());
        QCOMPARE(macroBlockAddressW1("50"), QString());
        QCOMPARE(macroBlockAddressW1("x"), QString());
        QCOMPARE(macroBlockAddressW1(""), QString());
    }
};

QTEST_GUILESS_MAIN(MacroEncodingTest)
#include "tst_macro_encoding.moc"
