// The keyboard profile write of K2.0 and K3.0: the assignment comes from the
// device's profile document, each key of the named mode becomes a
// fifteen-byte record (play header and code), lighting keys are written as
// one padded property. Checked on the emulator's call log.
#include <QtTest>

#include "keyboard_key_record.h"
#include "profile_document.h"
#include "write_scenario.h"

namespace {

// Mode 0: one key of every kind. Mode 1: the lighting keys. Mode 5: a key
// whose Index 5 and Name would make it a lighting key.
const QString kModes = QStringLiteral(
    "  <Mode Index=\"0\">\n"
    "    <Key Index=\"101\" Name=\"A\" Type=\"Keyboard\" Value=\"A\" Length=\"15\" PlayCount=\"3\" PlayType=\"1\""
    " PlayWay=\"2\" PlayDelay=\"300\" PlayLight=\"FF8000\" PlayJitters=\"4\" PlayVoices=\"5\"/>\n"
    "    <Key Index=\"102\" Name=\"B\" Type=\"MouseFunction\" Value=\"LeftClick\" Length=\"15\" PlayCount=\"1\"/>\n"
    "    <Key Index=\"103\" Name=\"C\" Type=\"HotKey\" Value=\"Ctrl+A\" Length=\"15\" PlayCount=\"1\" PlayWay=\"\""
    " PlayLight=\"12\"/>\n"
    "    <Key Index=\"104\" Name=\"D\" Type=\"Macro\" Value=\"按下(A)弹起(A)\" Length=\"15\" PlayCount=\"2\""
    " PlayWay=\"7\"/>\n"
    "    <Key Index=\"105\" Name=\"E\" Type=\"None\" Value=\"A\" Length=\"15\"/>\n"
    "    <Key Index=\"106\" Name=\"F\" Type=\"MultiMedia\" Value=\"00CD00\" Length=\"15\"/>\n"
    "  </Mode>\n"
    "  <Mode Index=\"1\">\n"
    "    <Key Index=\"21\" Name=\"LightRGB\" Type=\"\" Value=\"\" Length=\"10\"/>\n"
    "    <Key Index=\"22\" Name=\"LightMode\" Type=\"\" Value=\"\" Length=\"2\"/>\n"
    "    <Key Index=\"23\" Name=\"LightSpeed\" Type=\"\" Value=\"\" Length=\"2\"/>\n"
    "  </Mode>\n"
    "  <Mode Index=\"5\">\n"
    "    <Key Index=\"5\" Name=\"LightRGB\" Type=\"MouseFunction\" Value=\"RightClick\" Length=\"10\"/>\n"
    "  </Mode>\n");

const QString kNoPlay = QStringLiteral("01,00,00,00,00,00,00,00,00,00,00");

// The records of mode 0, in order, with the macro in K2.0 unit 181 (slot 0).
const QStringList kModeZeroRecords{
    "01,02,03,2c,01,01,ff,80,00,04,05,02,00,04,00",
    "01,00,01,00,00,00,00,00,00,00,00,01,01,00,00",
    "01,00,01,00,00,00,12,00,00,00,00,02,01,04,00",
    kNoPlay + ",04,00,09,00",
    zeroBytes(15),
    kNoPlay + ",00,cd,00,00",
};

// A byte list as the call log writes it: two lower-case digits per byte.
QString normal(const QString& list)
{
    QStringList items;
    for (QString item : list.split(',')) {
        if (item.startsWith("0x"))
            item = item.mid(2);
        items << QStringLiteral("%1").arg(item.toUInt(nullptr, 16), 2, 16, QLatin1Char('0'));
    }
    return items.join(',');
}

QStringList propertyWrites(const WriteScenario& scenario, int id)
{
    QStringList out;
    for (const QJsonObject& call : scenario.calls("dcWriteProperty"))
        if (call.value("id").toInt() == id)
            out << call.value("data").toString();
    return out;
}

} // namespace

class KeyboardProfileWriteTest : public QObject
{
    Q_OBJECT

private slots:
    void playHeaderFollowsThePlayAttributes()
    {
        ProfileKey key;
        QCOMPARE(normal(KeyboardKeyRecord::playHeader(key)), kNoPlay);
        key.playWay = "0x0A";
        key.playCount = "300";
        key.playDelay = "70000";
        key.playType = "x";
        key.playLight = "ABC";
        key.playJitters = "-1";
        key.playVoices = "255";
        QCOMPARE(normal(KeyboardKeyRecord::playHeader(key)), QStringLiteral("01,0a,ff,ff,ff,00,ab,0c,00,00,ff"));
    }

    void recordsHaveFifteenBytes()
    {
        ProfileKey key;
        key.playCount = "2";
        // No code, and a code longer than four bytes, leave the key unassigned.
        QCOMPARE(normal(KeyboardKeyRecord::record("", key)), zeroBytes(15));
        QCOMPARE(normal(KeyboardKeyRecord::record("0x05,04,03,14,00", key)), zeroBytes(15));
        QCOMPARE(normal(KeyboardKeyRecord::record("0x01,0x01,0x00,0x00", key)),
                 QStringLiteral("01,00,02,00,00,00,00,00,00,00,00,01,01,00,00"));
        // A macro reference keeps its form; no play attribute goes in front.
        QCOMPARE(normal(KeyboardKeyRecord::record("0x04,1,c,0x00", key)), kNoPlay + ",04,01,0c,00");
        QCOMPARE(normal(KeyboardKeyRecord::record("a", key)), QStringLiteral("01,00,02,00,00,00,00,00,00,00,00,0a,00,00,00"));
    }

    void k2WritesARecordPerKeyOfTheMode()
    {
        WriteScenario scenario(familyDevices(), {});
        scenario.addProfile(kK2, profileText(kK2, kModes));
        QVERIFY(scenario.write(kK2, "K2.0", "0", "ignored", "ignored"));
        QCOMPARE(propertyWrites(scenario, 0), kModeZeroRecords);
        for (const QJsonObject& call : scenario.calls("dcWriteProperty")) {
            QCOMPARE(call.value("result").toInt(), 1);
            if (call.value("id").toInt() == 0)
                QCOMPARE(call.value("size").toInt(), 15);
        }
        // The macro went to the first K2.0 unit before its key's record.
        const QList<QJsonObject> writes = scenario.writes();
        QCOMPARE(writes.size(), 7);
        QCOMPARE(writes.at(3).value("id").toInt(), 181);
        QCOMPARE(writes.at(3).value("data").toString(), slotData("84,04,00,04,04,00,07,02,00"));
        QVERIFY(scenario.handler.writeState().keyboardMode());
        QCOMPARE(scenario.handler.writeState().driverVersion(), QStringLiteral("K2.0"));
    }

    void k3WritesLikeK2WithTheK2Definition()
    {
        WriteScenario scenario(familyDevices(), {});
        scenario.addProfile(kK3, profileText(kK3, kModes));
        QVERIFY(scenario.write(kK3, "K3.0", "0", "", ""));
        QCOMPARE(propertyWrites(scenario, 0), kModeZeroRecords);
        QCOMPARE(propertyWrites(scenario, 181).size(), 1);
        QVERIFY(scenario.handler.writeState().keyboardMode());
        QCOMPARE(scenario.handler.writeState().driverVersion(), QStringLiteral("K3.0"));
        QCOMPARE(scenario.handler.loadedDriverVersion(), QStringLiteral("K2.0"));
    }

    void lightingKeysAreOnePaddedWrite_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("task");
        QTest::addColumn<QString>("data");
        QTest::newRow("K2.0 LightRGB") << "K2.0" << kK2 << "21" << "00FF7F" << "00,ff,7f,00,00,00,00,00,00,00";
        QTest::newRow("K3.0 LightRGB") << "K3.0" << kK3 << "21" << "00FF7F" << "00,ff,7f,00,00,00,00,00,00,00";
        QTest::newRow("LightMode") << "K2.0" << kK2 << "22" << "10" << "0a,00";
    }
    void lightingKeysAreOnePaddedWrite()
    {
        QFETCH(QString, driver);
        QFETCH(QString, version);
        QFETCH(QString, index);
        QFETCH(QString, task);
        QFETCH(QString, data);
        WriteScenario scenario(familyDevices(), {});
        scenario.addProfile(version, profileText(version, kModes));
        QVERIFY(scenario.write(version, driver, index, task, "LightRGB"));
        const QList<QJsonObject> writes = scenario.writes();
        QCOMPARE(writes.size(), 1);
        QCOMPARE(writes.at(0).value("id").toInt(), index.toInt());
        QCOMPARE(writes.at(0).value("data").toString(), data);
        QCOMPARE(writes.at(0).value("size").toInt(), data.split(',').size());
    }

    void indexFiveAlwaysNamesModeFive()
    {
        WriteScenario scenario(familyDevices(), {});
        scenario.addProfile(kK2, profileText(kK2, kModes));
        QVERIFY(scenario.write(kK2, "K2.0", "5", "00FF7F", "LightRGB"));
        QCOMPARE(propertyWrites(scenario, 5), QStringList({kNoPlay + ",01,02,00,00"}));
    }

    void failsWithoutWriting_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("task");
        QTest::newRow("no mode and no lighting key") << "K2.0" << kK2 << "3" << "";
        QTest::newRow("key that is neither mode nor light") << "K2.0" << kK2 << "101" << "";
        QTest::newRow("Index not a number") << "K2.0" << kK2 << "x" << "";
        QTest::newRow("lighting longer than its Length") << "K2.0" << kK2 << "23" << "1,2,3";
        QTest::newRow("short lighting colour") << "K2.0" << kK2 << "21" << "00FF7";
        QTest::newRow("K2.0 without profile") << "K2.0" << kM1 << "0" << "";
        QTest::newRow("K3.0 without profile") << "K3.0" << kM1 << "0" << "";
    }
    void failsWithoutWriting()
    {
        QFETCH(QString, driver);
        QFETCH(QString, version);
        QFETCH(QString, index);
        QFETCH(QString, task);
        WriteScenario scenario(familyDevices(), {});
        scenario.addProfile(kK2, profileText(kK2, kModes));
        QVERIFY(!scenario.write(version, driver, index, task, "LightMode"));
        QVERIFY(scenario.writes().isEmpty());
    }

    void anEmptyModeWritesNothingAndSucceeds()
    {
        WriteScenario scenario(familyDevices(), {});
        scenario.addProfile(kK2, profileText(kK2, "<Mode Index=\"2\"/>"));
        QVERIFY(scenario.write(kK2, "K2.0", "2", "", ""));
        QVERIFY(scenario.writes().isEmpty());
    }

    void aMacroThatCannotBeStoredStopsTheWrite()
    {
        // The fourth write (the macro's unit) is refused: the records before it
        // stay written, no later one is sent.
        WriteScenario scenario(
            R"({"vendorId":"258A","productId":"0150","interfaces":[{"collection":"02"}],"faults":{"failWrite":4}})", {});
        scenario.addProfile(kK2, profileText(kK2, kModes));
        QVERIFY(!scenario.write(kK2, "K2.0", "0", "", ""));
        QCOMPARE(propertyWrites(scenario, 0), kModeZeroRecords.mid(0, 3));
        QCOMPARE(scenario.writes().size(), 4);
    }
};

QTEST_GUILESS_MAIN(KeyboardProfileWriteTest)
#include "tst_keyboard_profile_write.moc"
