// The byte templates of the composite assignment codes and of the W1
// family: hotkey, rapid fire, DPI stage, colour, lighting check bytes and
// the hotkey record.
#include <QtTest>

#include "assignment_format.h"
#include "byte_list_text.h"
#include "w1_assignment_format.h"
#include "w1_hotkey_record.h"

using namespace AssignmentFormat;

namespace {

// The bytes a code text stands for, as the device functions read it.
QByteArray bytes(const QString& code)
{
    return ByteListText::bytesOfList(ByteListText::listItems(code));
}

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class AssignmentFormatTest : public QObject
{
    Q_OBJECT

private slots:
    void padsOnlyShortLists()
    {
        QCOMPARE(padWithZeros({}, 3), QStringList({"0x00", "0x00", "0x00"}));
        QCOMPARE(padWithZeros({"04"}, 2), QStringList({"04", "0x00"}));
        QCOMPARE(padWithZeros({"1", "2", "3", "4"}, 3), QStringList({"1", "2", "3", "4"}));
    }

    void hotKeyPutsTheMaskFirstAndKeepsTwoKeys()
    {
        QCOMPARE(formatHotKey("04"), QStringLiteral("0x02,0x00,04,0x00"));
        QCOMPARE(bytes(formatHotKey("01,04")), hex("02010400"));
        QCOMPARE(bytes(formatHotKey("01,04,05,06")), hex("02010405"));
        QCOMPARE(bytes(formatHotKey(",,04,")), hex("02000400"));
        QCOMPARE(bytes(formatHotKey("")), hex("02000000"));
    }

    void rapidFireWritesTheCountsInHex()
    {
        QCOMPARE(formatRapidFire("04", "3", "20"), QStringLiteral("0x05,04,3,14"));
        QCOMPARE(bytes(formatRapidFire("04", "x", "")), hex("05040000"));
        // Numbers past a byte are held, never wrapped or shifted.
        QCOMPARE(formatRapidFire("04", "300", "99999999999"), QStringLiteral("0x05,04,ff,ff"));
    }

    void splitsDpiWordsLowByteFirst()
    {
        QCOMPARE(splitDpiWord(16), QStringList({"10", "0x00"}));
        QCOMPARE(splitDpiWord(255), QStringList({"ff", "0x00"}));
        QCOMPARE(splitDpiWord(256), QStringList({"00", "1"}));
        QCOMPARE(splitDpiWord(0x1234), QStringList({"34", "12"}));
        QCOMPARE(splitDpiWord(0x12345), QStringList({"ff", "ff"}));
        QCOMPARE(splitDpiWord(-5), QStringList({"0", "0x00"}));
    }

    void formatsDpiStages()
    {
        QCOMPARE(bytes(formatDpiStage("1", "800", "1600", "FF0000")), hex("0110001000ff0000"));
        QCOMPARE(bytes(formatDpiStage("0", "12800", "400", "")), hex("0000010800ffffff"));
        QCOMPARE(bytes(formatDpiStage("0", "800", "1600", "00ff7f")), hex("001000200000ff7f"));
        QCOMPARE(bytes(formatDpiStage("0", "abc", "", "")), hex("0000000000ffffff"));
        // A mode that is no byte counts as 0; a DPI of any length is held.
        QCOMPARE(bytes(formatDpiStage("zz", "99999999999", "-5", "")), hex("00ffff0000ffffff"));
        QCOMPARE(ByteListText::listItems(formatDpiStage("0", "400", "400", "")).size(), 8);
    }

    void refusesMalformedColours()
    {
        QCOMPARE(formatDpiStage("0", "800", "800", "FF00"), QString());
        QCOMPARE(formatDpiStage("0", "800", "800", "GG0000"), QString());
        QCOMPARE(colourBytes("00FF7F"), QStringLiteral("00,FF,7F"));
        QCOMPARE(colourBytes("00FF7"), QString());
        QCOMPARE(colourBytes("00FF7F0"), QString());
        QCOMPARE(colourBytes(""), QString());
    }

    void w1DpiRulesPerDevice_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("stage");
        QTest::addColumn<QByteArray>("expected");
        const QString dpi800 = formatDpiStage("0", "800", "1600", "");  // 16, 32
        const QString dpi8000 = formatDpiStage("0", "8000", "4000", ""); // 160, 80
        const QString dpi12500 = formatDpiStage("1", "12500", "0", ""); // 250, 250
        QTest::newRow("plain device") << "25A7FA10" << dpi800 << hex("102000");
        QTest::newRow("91 low") << "25A7FA91" << dpi800 << hex("102000");
        QTest::newRow("91 above 144") << "25A7FA91" << dpi8000 << hex("502801");
        QTest::newRow("92 y to seven bits") << "25A7FA92" << formatDpiStage("1", "12750", "", "") << hex("7f7f01");
        // Past 12 750 DPI X and Y are held alike.
        QTest::newRow("91 at 16000") << "25A7FA91" << formatDpiStage("1", "16000", "16000", "") << hex("7f7f01");
        QTest::newRow("91 both past") << "25A7FA91" << formatDpiStage("0", "20000", "16000", "") << hex("7f7f01");
        QTest::newRow("93 halves") << "25A7FA93" << dpi800 << hex("081000");
        QTest::newRow("96 quarters above 239") << "25a7fa96" << dpi12500 << hex("3e3e01");
        QTest::newRow("93 at 239") << "25A7FA93" << formatDpiStage("1", "11950", "", "") << hex("777700");
        QTest::newRow("past a byte is held") << "25A7FA10" << formatDpiStage("0", "12800", "400", "") << hex("ff0800");
    }
    void w1DpiRulesPerDevice()
    {
        QFETCH(QString, device);
        QFETCH(QString, stage);
        QFETCH(QByteArray, expected);
        const QString code = W1AssignmentFormat::dpiCode(device, stage);
        QCOMPARE(bytes(code), expected);
        QCOMPARE(code.split(',').size(), 3);
    }

    void w1DpiNeedsAWholeStage()
    {
        QCOMPARE(W1AssignmentFormat::dpiCode("25A7FA91", "00,10,00"), QString());
        QCOMPARE(W1AssignmentFormat::dpiCode("25A7FA91", QString()), QString());
        QCOMPARE(W1AssignmentFormat::dpiColourCode("0,10,0x00"), QString());
        QCOMPARE(W1AssignmentFormat::dpiColourCode(formatDpiStage("0", "800", "800", "12AB7F")),
                 QStringLiteral("12,ab,7f"));
    }

    void w1DpiColourRows()
    {
        QCOMPARE(W1AssignmentFormat::dpiColourIndex("50"), QStringLiteral("201"));
        QCOMPARE(W1AssignmentFormat::dpiColourIndex("57"), QStringLiteral("208"));
        QCOMPARE(W1AssignmentFormat::dpiColourIndex("204"), QStringLiteral("204"));
        QCOMPARE(W1AssignmentFormat::dpiColourIndex("58"), QString());
        QCOMPARE(W1AssignmentFormat::dpiColourIndex("209"), QString());
        QCOMPARE(W1AssignmentFormat::dpiColourIndex("x"), QString());
    }

    void w1LightingAddsCheckBytes()
    {
        // s1 = 0x55 - (0x10 + 0x20 + 0x30) = -0x0b; s2 = 0x55 - 0x01 ...
        QCOMPARE(W1AssignmentFormat::lightingCode("10,20,30,01,0x55,ff"),
                 QStringLiteral("10,20,30,f5,01,54,55,00,ff,56"));
        QCOMPARE(W1AssignmentFormat::lightingCode("10,20,30,01,55"), QString());
        QCOMPARE(W1AssignmentFormat::lightingCode(QString()), QString());
        QCOMPARE(W1AssignmentFormat::checkByte(hex("010100")), quint8(0x53));
        QCOMPARE(W1AssignmentFormat::checkByte(QByteArray()), quint8(0x55));
    }

    void hotKeyRecordKindZero()
    {
        using namespace W1HotKeyRecord;
        QCOMPARE(kindForCount(3), 0);
        QCOMPARE(kindForCount(4), 2);
        // Left Ctrl + A: modifier bit entry, key entry, releases reversed.
        QCOMPARE(build({0xE0, 0x04}, 0), hex("04" "800100" "810400" "410400" "400100" "c5"));
        QCOMPARE(build({0x04}, 0), hex("02" "810400" "410400" "89"));
        // Right Windows: bit 7.
        QCOMPARE(build({0xE7}, 0).mid(1, 3), hex("808000"));
        QCOMPARE(build({}, 0), QByteArray());
        QCOMPARE(toItems(hex("0a8000ff")), QStringLiteral("0a,80,00,ff"));
    }

    void hotKeyRecordKindTwo()
    {
        using namespace W1HotKeyRecord;
        QCOMPARE(build({0x04, 0x05, 0x06, 0x07}, 2), hex("04" "820405" "820607" "420607" "420405" "9d"));
        // An odd count gets a zero partner; more than six codes keep three pairs.
        QCOMPARE(build({0x04, 0x05, 0x06, 0x07, 0x08}, 2).left(1), hex("06"));
        QCOMPARE(build({0x04, 0x05, 0x06, 0x07, 0x08}, 2).mid(7, 3), hex("820800"));
        const QByteArray eight = build({1, 2, 3, 4, 5, 6, 7, 8}, 2);
        QCOMPARE(eight.size(), 3 * 6 + 2);
        QCOMPARE(eight.at(0), char(6));
        QCOMPARE(eight.mid(16, 3), hex("420102"));
    }

    void hotKeyRecordCheckByteCoversCountAndEntries()
    {
        const QList<QList<quint8>> cases = {{0x04}, {0xE1, 0x04, 0x05}, {0x04, 0x05, 0x06, 0x07, 0x08, 0x09}};
        for (const QList<quint8>& codes : cases) {
            const QByteArray record = W1HotKeyRecord::build(codes, W1HotKeyRecord::kindForCount(codes.size()));
            QCOMPARE(record.size(), 3 * record.at(0) + 2);
            QCOMPARE(W1AssignmentFormat::checkByte(record.chopped(1)), quint8(record.back()));
        }
    }
};

QTEST_GUILESS_MAIN(AssignmentFormatTest)
#include "tst_assignment_format.moc"
