// encodeAssignment and encodeAssignmentW1 on the shipped Driver definitions:
// every TaskType row, the hotkey code, the lookup flags and the guards on
// short or malformed content.
#include <QtTest>

#include "assignment_encoder.h"
#include "byte_list_text.h"
#include "device_functions.h"
#include "driver_lookup.h"
#include "w1_assignment_format.h"

namespace {

QByteArray bytes(const QString& code)
{
    return ByteListText::bytesOfList(ByteListText::listItems(code));
}

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class AssignmentEncoderTest : public QObject
{
    Q_OBJECT

private:
    DriverLookup m_lookup;
    DeviceFunctions m_functions;

    void use(const QString& version)
    {
        QVERIFY2(m_lookup.loadDriver(version), qPrintable(version));
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(m_lookup.registerDefaultDrivers(), 6);
    }

    void mouseFunctionsComeFromTheDefinitionInUse()
    {
        AssignmentEncoder encoder(m_lookup, m_functions);
        use("M1.0");
        QCOMPARE(encoder.encodeAssignment("MouseFunction", "ScrollUp", "1").code, QStringLiteral("0x01,0x12,0x00,0x00"));
        QCOMPARE(encoder.encodeAssignment("MouseFunction", "RightClick", "1").code, QStringLiteral("0x01,0x02,0x00,0x00"));
        QCOMPARE(encoder.encodeAssignment("MouseFunction", "NoSuchFunction", "1").code, QString());
        use("M2.0");
        QCOMPARE(encoder.encodeAssignment("MouseFunction", "RightClick", "1").code, QStringLiteral("0x01,0x02,0x00,0x00"));
        use("K2.0");
        QCOMPARE(encoder.encodeAssignment("MouseFunction", "ScrollUp", "1").code, QStringLiteral("0x01,0x11,0x00,0x00"));
    }

    void hotKeyCodes_data()
    {
        QTest::addColumn<QString>("taskType");
        QTest::addColumn<QString>("task");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("Keyboard A") << "Keyboard" << "A" << hex("02000400");
        QTest::newRow("HotKey A") << "HotKey" << "A" << hex("02000400");
        QTest::newRow("Keyborad A") << "Keyborad" << "A" << hex("02000400");
        QTest::newRow("HotKey Ctrl alone is Left Ctrl") << "HotKey" << "Ctrl" << hex("0200e000");
        QTest::newRow("HotKey Win alone is Left Windows") << "HotKey" << "Win" << hex("0200e300");
        QTest::newRow("Keyboard Ctrl alone is a mask") << "Keyboard" << "Ctrl" << hex("02000100");
        QTest::newRow("Ctrl+A") << "HotKey" << "Ctrl+A" << hex("02010400");
        QTest::newRow("Win+Shift+A") << "HotKey" << "Win+Shift+A" << hex("020a0400");
        QTest::newRow("Ctrl+Alt+Shift+Win+F1") << "HotKey" << "Ctrl+Alt+Shift+Win+F1" << hex("020f3a00");
        QTest::newRow("Ctrl+A+B+C keeps A and B") << "HotKey" << "Ctrl+A+B+C" << hex("02010405");
        QTest::newRow("Ctrl+Shift only") << "HotKey" << "Ctrl+Shift" << hex("02000300");
        QTest::newRow("A+B keeps A out of the mask") << "HotKey" << "A+B" << hex("02000405");
        QTest::newRow("empty parts dropped") << "HotKey" << "+Ctrl++A+" << hex("02010400");
        QTest::newRow("unknown key dropped") << "HotKey" << "Ctrl+Nope+A" << hex("02010400");
    }
    void hotKeyCodes()
    {
        QFETCH(QString, taskType);
        QFETCH(QString, task);
        QFETCH(QByteArray, expected);
        AssignmentEncoder encoder(m_lookup, m_functions);
        use("M1.0");
        const QString code = encoder.encodeAssignment(taskType, task, "1").code;
        QCOMPARE(bytes(code), expected);
        QCOMPARE(ByteListText::listItems(code).size(), 4);
    }

    void lookupFlagsLastUntilTheNextEncoding()
    {
        AssignmentEncoder encoder(m_lookup, m_functions);
        use("M1.0");
        encoder.encodeAssignment("HotKey", "Ctrl", "1");
        QVERIFY(m_lookup.singleHotKey());
        QVERIFY(!m_lookup.macroEncoding());
        QCOMPARE(m_lookup.codeOfTask("Shift"), QStringLiteral("E1"));

        encoder.encodeAssignment("HotKey", "Ctrl+A", "1");
        QVERIFY(!m_lookup.singleHotKey());
        QCOMPARE(m_lookup.codeOfTask("Shift"), QStringLiteral("2"));

        QStringList seen;
        encoder.setMacroReference([&](const QString& steps, const QString& count) {
            seen << steps << count << (m_lookup.macroEncoding() ? "flag" : "no flag");
            return EncodedAssignment{QStringLiteral("0x04,0x00,0x01,0x00")};
        });
        encoder.encodeAssignment("HotKey", "A", "1");
        QVERIFY(m_lookup.singleHotKey());
        QCOMPARE(encoder.encodeAssignment("Macro", "steps", "3").code, QStringLiteral("0x04,0x00,0x01,0x00"));
        QCOMPARE(seen, QStringList({"steps", "3", "flag"}));
        QVERIFY(m_lookup.macroEncoding());
        QVERIFY(!m_lookup.singleHotKey());

        encoder.encodeAssignment("LightMode", "1", "1");
        QVERIFY(!m_lookup.macroEncoding());
        QVERIFY(!m_lookup.singleHotKey());
    }

    void macroWithoutMacroEncodingIsEmpty()
    {
        AssignmentEncoder encoder(m_lookup, m_functions);
        use("M1.0");
        QCOMPARE(encoder.encodeAssignment("Macro", "steps", "1").code, QString());
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "61", "Macro", "steps", "1").code, QString());
    }

    void otherRows()
    {
        AssignmentEncoder encoder(m_lookup, m_functions);
        use("M1.0");
        QCOMPARE(bytes(encoder.encodeAssignment("GKey", "A|3|20", "1").code), hex("05040314"));
        QCOMPARE(encoder.encodeAssignment("GKey", "A|3", "1").code, QString());
        QCOMPARE(encoder.encodeAssignment("GKey", "", "1").code, QString());
        QCOMPARE(bytes(encoder.encodeAssignment("DPI", "0|12800|400", "1").code), hex("0000010800ffffff"));
        QCOMPARE(bytes(encoder.encodeAssignment("DPI", "1|800|1600|FF0000", "1").code), hex("0110001000ff0000"));
        QCOMPARE(encoder.encodeAssignment("DPI", "0|800", "1").code, QString());
        QCOMPARE(encoder.encodeAssignment("DPI", "", "1").code, QString());
        QCOMPARE(encoder.encodeAssignment("DPI", "0|800|800|FF0", "1").code, QString());
        QCOMPARE(bytes(encoder.encodeAssignment("LightRGB", "00FF7F", "1").code), hex("00ff7f"));
        QCOMPARE(encoder.encodeAssignment("LightRGB", "00FF7", "1").code, QString());
        QCOMPARE(encoder.encodeAssignment("LightRGB", "", "1").code, QString());
        QCOMPARE(encoder.encodeAssignment("LightMode", "10", "1").code, QStringLiteral("a"));
        QCOMPARE(encoder.encodeAssignment("LightMode", "x", "1").code, QStringLiteral("0"));
        QCOMPARE(encoder.encodeAssignment("LightSpeed", "0x03", "1").code, QStringLiteral("0x03"));
        QCOMPARE(encoder.encodeAssignment("SwitchProfile", "0x07,0x03,0x00,0x00", "1").code,
                 QStringLiteral("0x07,0x03,0x00,0x00"));
        QCOMPARE(encoder.encodeAssignment("Unknown", "A", "1").code, QString());
        QCOMPARE(encoder.encodeAssignment("mousefunction", "LeftClick", "1").code, QString());
    }

    void multiMediaSplitsOnlyOnK2()
    {
        AssignmentEncoder encoder(m_lookup, m_functions);
        use("M1.0");
        QCOMPARE(encoder.encodeAssignment("MultiMedia", "03CD00", "1").code, QStringLiteral("03CD00"));
        use("K2.0");
        QCOMPARE(encoder.encodeAssignment("MultiMedia", "03CD00", "1").code, QStringLiteral("03,CD,00"));
        QCOMPARE(encoder.encodeAssignment("MultiMedia", "0x03,0x00,0xCD,0x00", "1").code,
                 QStringLiteral("0x03,0x00,0xCD,0x00"));
    }

    void w1Codes()
    {
        AssignmentEncoder encoder(m_lookup, m_functions);
        use("W1.0");
        const QString leftClick = encoder.encodeAssignmentW1("25A7FA91", "61", "MouseFunction", "LeftClick", "1").code;
        QCOMPARE(leftClick, QStringLiteral("0x01,0x01,0x00"));
        // The write puts it at the button's address and its check byte after it.
        QCOMPARE(m_lookup.addrLengthOfIndex("61"), QStringList({"0x60", "3"}));
        QCOMPARE(W1AssignmentFormat::checkByte(bytes(leftClick)), quint8(0x53));

        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "50", "DPI", "0|8000|4000", "1").code, QStringLiteral("50,28,01"));
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA93", "50", "DPI", "1|800|0", "1").code, QStringLiteral("08,08,00"));
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA10", "50", "DPI", "0|800", "1").code, QString());
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "201", "DPIRGB", "0|800|800|12AB7F", "1").code,
                 QStringLiteral("12,ab,7f"));
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "201", "DPIRGB", "00FF7F", "1").code, QStringLiteral("00,ff,7f"));
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "201", "DPIRGB", "00FF", "1").code, QString());

        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "42", "LightRGB", "10,20,30,01,55,ff", "1").code,
                 QStringLiteral("10,20,30,f5,01,54,55,00,ff,56"));
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "42", "LightRGB", "10,20", "1").code, QString());
        for (const char* index : {"40", "43", "44", "48"})
            QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", index, "DPI", "1,2,3", "1").code, QStringLiteral("1,2,3"));
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "41", "LightSpeed", "05", "1").code, QStringLiteral("05"));
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "41", "LightRGB", "00FF7F", "1").code, QStringLiteral("00,FF,7F"));
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "41", "LightMode", "12", "1").code, QStringLiteral("c"));
        QCOMPARE(bytes(encoder.encodeAssignmentW1("25A7FA91", "61", "GKey", "A|1|2", "1").code), hex("05040102"));
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "61", "MultiMedia", "03CD00", "1").code, QString());
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "61", "SwitchProfile", "01", "1").code, QString());
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "61", "Unknown", "01", "1").code, QString());
    }

    void w1MacroPassesCountAsOneByte()
    {
        AssignmentEncoder encoder(m_lookup, m_functions);
        use("W1.0");
        QStringList seen;
        bool accept = true;
        encoder.setW1MacroWriter([&](const QString& id, const QString& index, const QString& steps, const QString& count) {
            seen << id << index << steps << count << (m_lookup.macroEncoding() ? "flag" : "no flag");
            return accept;
        });
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "62", "Macro", "steps", "10").code, QStringLiteral("Macro"));
        QCOMPARE(seen, QStringList({"25A7FA91", "62", "steps", "0a", "flag"}));
        seen.clear();
        accept = false;
        const EncodedAssignment refused = encoder.encodeAssignmentW1("25A7FA91", "62", "Macro", "steps", "999");
        QCOMPARE(refused.code, QString());
        QVERIFY(refused.failed);
        QCOMPARE(seen.at(3), QStringLiteral("ff"));
    }

    void w1HotKeyWithoutAnyKnownKeyWritesNothing()
    {
        AssignmentEncoder encoder(m_lookup, m_functions);
        use("W1.0");
        int pauses = 0;
        encoder.setHotKeyPause([&](int) { ++pauses; });
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "61", "HotKey", "", "1").code, QString());
        QCOMPARE(encoder.encodeAssignmentW1("25A7FA91", "61", "HotKey", "Nope+Nada", "1").code, QString());
        QCOMPARE(pauses, 0);
    }
};

QTEST_GUILESS_MAIN(AssignmentEncoderTest)
#include "tst_assignment_encoder.moc"
