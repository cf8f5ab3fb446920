// writeDevice end to end for the W1 family (device 25A7FA91, definition
// W1.0), written by memory address: every parameter block is followed by its
// check byte (0x55 - sum) at Addr + Length. Checked on the emulator's log.
#include <QtTest>

#include "write_scenario.h"

struct W1Write
{
    QString address;
    int length;
    QString data;

    bool operator==(const W1Write& other) const
    {
        return address == other.address && length == other.length && data == other.data;
    }
};

namespace {

// The W1 writes of the log as (address, length, data); every one is mode 7.
QList<W1Write> w1Writes(const WriteScenario& scenario)
{
    QList<W1Write> out;
    for (const QJsonObject& call : scenario.writes()) {
        if (call.value("call").toString() != QLatin1String("dcW1WriteAddress") || call.value("mode").toInt() != 7)
            return {{"not a mode 7 W1 write: " + call.value("call").toString(), 0, QString()}};
        out << W1Write{call.value("address").toString(), call.value("length").toInt(), call.value("data").toString()};
    }
    return out;
}

} // namespace

Q_DECLARE_METATYPE(QList<W1Write>)

namespace QTest {
template<>
char* toString(const W1Write& write)
{
    return qstrdup(qPrintable(QStringLiteral("{%1, %2, %3}").arg(write.address).arg(write.length).arg(write.data)));
}
} // namespace QTest

class W1WriteTest : public QObject
{
    Q_OBJECT

private slots:
    void writesTheBlockAndItsCheckByte_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("task");
        QTest::addColumn<QString>("taskType");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QList<W1Write>>("expected");

        QTest::newRow("LeftClick at 0x60, check 0x53 at 0x63")
            << "61" << "LeftClick" << "MouseFunction" << "1"
            << QList<W1Write>{{"0x60", 3, "01,01,00"}, {"0x63", 1, "53"}};
        QTest::newRow("button 4 at its stored address 0x70")
            << "64" << "DpiCycling" << "MouseFunction" << "1"
            << QList<W1Write>{{"0x70", 3, "02,01,00"}, {"0x73", 1, "52"}};
        QTest::newRow("macro on Index 63 with count 0: block at 0x61f, then 06,02,01")
            << "63" << "按下(A)延迟(10)" << "Macro" << "0"
            << QList<W1Write>{{"0x61f", 9, "01,81,04,00,00,0a,00,05,c0"}, {"0x68", 3, "06,02,01"}, {"0x6b", 1, "4c"}};
        QTest::newRow("macro repeat count is decimal")
            << "63" << "按下(A)延迟(10)" << "Macro" << "10"
            << QList<W1Write>{{"0x61f", 9, "01,81,04,00,00,0a,00,05,c0"}, {"0x68", 3, "06,02,0a"}, {"0x6b", 1, "43"}};
        QTest::newRow("HotKey Ctrl+A: record at 0x100, then 05,00,00")
            << "61" << "Ctrl+A" << "HotKey" << "1"
            << QList<W1Write>{{"0x100", 10, "04,80,01,00,81,04,00,41,04,00"},
                              {"0x10a", 4, "40,01,00,c5"},
                              {"0x60", 3, "05,00,00"},
                              {"0x63", 1, "50"}};
        QTest::newRow("four keys: kind 2 record of pairs")
            << "61" << "Ctrl+Shift+A+B" << "Keyboard" << "1"
            << QList<W1Write>{{"0x100", 10, "04,82,e0,e1,82,04,05,42,04,05"},
                              {"0x10a", 4, "42,e0,e1,35"},
                              {"0x60", 3, "05,00,00"},
                              {"0x63", 1, "50"}};
        QTest::newRow("lighting Index 42: ten bytes with their check bytes, Length 0a")
            << "42" << "ff,00,00,10,20,30" << "LightRGB" << "1"
            << QList<W1Write>{{"0x54", 10, "ff,00,00,56,10,45,20,35,30,25"}, {"0x5e", 1, "01"}};
        QTest::newRow("light strip Index 43: fifth item decimal")
            << "43" << "1,2,3,4,200,6," << "LightStrip" << "1"
            << QList<W1Write>{{"0xa0", 6, "01,02,03,04,c8,06"}, {"0xa6", 1, "7d"}};
        QTest::newRow("DPI 12800 on 25A7FA91 halves, sets the flag and is held at 0x7F")
            << "50" << "0|12800|400" << "DPI" << "1" << QList<W1Write>{{"0xc", 3, "7f,04,01"}, {"0xf", 1, "d1"}};
        QTest::newRow("DPIRGB goes to the stage's colour row")
            << "50" << "00FF7F" << "DPIRGB" << "1" << QList<W1Write>{{"0x2c", 3, "00,ff,7f"}, {"0x2f", 1, "d7"}};
        QTest::newRow("DPIRGB from a whole DPI text")
            << "202" << "0|800|800|102030" << "DPIRGB" << "1"
            << QList<W1Write>{{"0x30", 3, "10,20,30"}, {"0x33", 1, "f5"}};
        QTest::newRow("report rate Index 40 as given")
            << "40" << "02" << "ReportRate" << "1" << QList<W1Write>{{"0x0", 1, "02"}, {"0x1", 1, "53"}};
    }
    void writesTheBlockAndItsCheckByte()
    {
        QFETCH(QString, index);
        QFETCH(QString, task);
        QFETCH(QString, taskType);
        QFETCH(QString, count);
        QFETCH(QList<W1Write>, expected);

        // The W1 family needs no profile.
        WriteScenario scenario(familyDevices(), {});
        QVERIFY(scenario.write(kW1, "W1.0", index, task, taskType, count));
        QCOMPARE(w1Writes(scenario), expected);
        for (const QJsonObject& call : scenario.writes())
            QCOMPARE(call.value("result").toInt(), 1);
    }

    void hotKeyRecordsPauseAfterEachChunk()
    {
        WriteScenario scenario(familyDevices(), {});
        QVERIFY(scenario.write(kW1, "W1.0", "62", "A", "HotKey"));
        QCOMPARE(scenario.pauses, QList<int>({300}));
        QCOMPARE(w1Writes(scenario).first().address, QStringLiteral("0x120"));
    }

    void failsWithoutWriting_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("task");
        QTest::addColumn<QString>("taskType");

        QTest::newRow("light strip of four items") << "43" << "1,2,3,4" << "LightStrip";
        QTest::newRow("light strip empty") << "43" << "" << "LightStrip";
        QTest::newRow("lighting of five values") << "42" << "ff,00,00,10,20" << "LightRGB";
        QTest::newRow("DPI of two parts") << "50" << "0|800" << "DPI";
        QTest::newRow("short colour") << "201" << "00FF7" << "DPIRGB";
        QTest::newRow("DPIRGB off the stages") << "61" << "00FF7F" << "DPIRGB";
        QTest::newRow("Index without address") << "77" << "LeftClick" << "MouseFunction";
        QTest::newRow("hotkey on a button without address") << "80" << "A" << "HotKey";
        QTest::newRow("macro on a button without address") << "80" << "按下(A)" << "Macro";
        QTest::newRow("macro on a DPI stage") << "50" << "按下(A)" << "Macro";
        QTest::newRow("hotkey on a DPI stage") << "50" << "A" << "HotKey";
        QTest::newRow("macro step without closing parenthesis") << "61" << "按下(A)延迟(10" << "Macro";
        QTest::newRow("empty macro") << "61" << "" << "Macro";
        QTest::newRow("unknown TaskType") << "61" << "A" << "NoSuchType";
        QTest::newRow("unknown function") << "61" << "NoSuchFunction" << "MouseFunction";
        QTest::newRow("hotkey of unknown keys") << "61" << "Nope" << "HotKey";
    }
    void failsWithoutWriting()
    {
        QFETCH(QString, index);
        QFETCH(QString, task);
        QFETCH(QString, taskType);

        WriteScenario scenario(familyDevices(), {});
        QVERIFY(!scenario.write(kW1, "W1.0", index, task, taskType));
        QVERIFY(scenario.writes().isEmpty());
    }

    void aRefusedBlockGetsNoCheckByte()
    {
        WriteScenario scenario(w1Mouse("25A7FA91", "1011", R"(,"faults":{"failWrite":1})"), {});
        QVERIFY(!scenario.write(kW1, "W1.0", "61", "LeftClick", "MouseFunction"));
        QCOMPARE(scenario.writes().size(), 1);
        QCOMPARE(scenario.writes().at(0).value("result").toInt(), 0);
    }

    void aRefusedCheckByteFailsTheWrite()
    {
        WriteScenario scenario(w1Mouse("25A7FA91", "1011", R"(,"faults":{"failWrite":2})"), {});
        QVERIFY(!scenario.write(kW1, "W1.0", "61", "LeftClick", "MouseFunction"));
        QCOMPARE(scenario.writes().size(), 2);
    }

    void otherW1KeysAreW1Too()
    {
        // 25A7FA93 halves every DPI value; with no profile it is still written.
        WriteScenario scenario(w1Mouse("25A7FA93", "1013"), {});
        QVERIFY(scenario.write("25A7FA93", "W1.0", "50", "0|1600|800", "DPI"));
        QCOMPARE(w1Writes(scenario).first().data, QStringLiteral("10,08,00"));
    }
};

QTEST_GUILESS_MAIN(W1WriteTest)
#include "tst_w1_write.moc"
