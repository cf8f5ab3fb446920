// Registry and lookups of DriverLookup on the shipped Driver
// definitions and on small documents written for a single case.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "temp_text_file.h"

#include "driver_lookup.h"

class DriverLookupTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& text) { return writeTempFile(m_dir, name, text); }

    // A lookup with the shipped definitions and `version` in use.
    static void useDriver(DriverLookup& lookup, const QString& version)
    {
        lookup.registerDefaultDrivers();
        QVERIFY2(lookup.loadDriver(version), qPrintable(version));
    }

private slots:
    void registersShippedDriversInOrderWithoutK4()
    {
        QCOMPARE(DriverLookup::defaultDriverPaths().last(), QStringLiteral(":/drive/K4.0"));
        DriverLookup lookup;
        QCOMPARE(lookup.registerDefaultDrivers(), 6);
        QCOMPARE(lookup.registeredVersions(),
                 QStringList({"K1.0", "K2.0", "M1.0", "M2.0", "M4.0", "W1.0"}));

        QFile resource(":/drive/W1.0");
        QVERIFY(resource.open(QIODevice::ReadOnly));
        QCOMPARE(lookup.driverText("W1.0"), resource.readAll());

        // A write naming K4.0 finds nothing to load.
        QVERIFY(lookup.driverText("K4.0").isEmpty());
        QVERIFY(!lookup.loadDriver("K4.0"));
    }

    void registrationSkipsUnusableDocumentsAndLaterReplaces()
    {
        DriverLookup lookup;
        QVERIFY(!lookup.registerDriver(m_dir.filePath("absent.xml")));
        QVERIFY(!lookup.registerDriver(writeFile("broken.xml", "<Driver Version=\"X1.0\"><Key")));
        QVERIFY(!lookup.registerDriver(writeFile("noversion.xml", "<Driver><Key Task=\"a\"/></Driver>")));
        QVERIFY(lookup.registeredVersions().isEmpty());

        QVERIFY(lookup.registerDriver(":/drive/M1.0"));
        const QString replacement = writeFile(
            "m1.xml", "<Driver Version=\"M1.0\"><Key Task=\"MacroData\" Length=\"7\"/></Driver>");
        QVERIFY(lookup.registerDriver(replacement));
        QVERIFY(lookup.loadDriver("M1.0"));
        QCOMPARE(lookup.lengthOfKey("MacroData"), QStringLiteral("7"));
    }

    void failedLoadLeavesNoStaleDefinition()
    {
        DriverLookup lookup;
        QCOMPARE(lookup.codeOfTask("LeftClick"), QString());
        useDriver(lookup, "M1.0");
        QCOMPARE(lookup.loadedDriverVersion(), QStringLiteral("M1.0"));
        QCOMPARE(lookup.codeOfTask("LeftClick"), QStringLiteral("0x01,0x01,0x00,0x00"));

        QVERIFY(!lookup.loadDriver("K3.0"));
        QVERIFY(!lookup.isDriverLoaded());
        QCOMPARE(lookup.codeOfTask("LeftClick"), QString());
        QCOMPARE(lookup.lengthOfKey("1"), QString());
    }

    void lengthOfKey_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("length");
        QTest::newRow("M1.0 macro slots") << "M1.0" << "MacroData" << "30";
        QTest::newRow("K1.0 macro slots") << "K1.0" << "MacroData" << "10";
        QTest::newRow("K2.0 macro store") << "K2.0" << "MacroData" << "4000";
        QTest::newRow("W1.0 has no macro store") << "W1.0" << "MacroData" << "";
        QTest::newRow("M2.0 button") << "M2.0" << "61" << "8";
        QTest::newRow("M1.0 button") << "M1.0" << "61" << "4";
        QTest::newRow("header row before Macro1") << "M1.0" << "1" << "73";
        QTest::newRow("header row before Macro0 on K1.0") << "K1.0" << "0" << "300";
        QTest::newRow("digit sends a name to Index") << "M1.0" << "pButton0" << "";
        QTest::newRow("gLights before light") << "M4.0" << "23" << "10";
        QTest::newRow("W1.0 hexadecimal length") << "W1.0" << "42" << "0a";
        QTest::newRow("K1.0 G key") << "K1.0" << "193" << "4";
        QTest::newRow("K2.0 long hotkey") << "K2.0" << "HotKey" << "15";
        QTest::newRow("unknown name") << "M1.0" << "NoSuchTask" << "";
    }

    void lengthOfKey()
    {
        QFETCH(QString, version);
        QFETCH(QString, key);
        QFETCH(QString, length);
        DriverLookup lookup;
        useDriver(lookup, version);
        QCOMPARE(lookup.lengthOfKey(key), length);
    }

    void firstRowInDocumentOrderAnswers()
    {
        DriverLookup lookup;
        QVERIFY(lookup.registerDriver(writeFile("dup.xml",
            "<Driver Version=\"T1.0\">"
            "<Key Task=\"x\" Index=\"7\" Length=\"first\" Addr=\"\" Code=\"c1\"/>"
            "<Key Task=\"x\" Index=\"7\" Length=\"second\" Addr=\"0x10\" Code=\"c2\"/>"
            "</Driver>")));
        QVERIFY(lookup.loadDriver("T1.0"));
        QCOMPARE(lookup.lengthOfKey("7"), QStringLiteral("first"));
        QCOMPARE(lookup.codeOfTask("x"), QStringLiteral("c1"));
        // The first row has no Addr: no fallback to the second.
        QCOMPARE(lookup.addrLengthOfIndex("7"), QStringList());
        QCOMPARE(lookup.addrOfTask("x"), QString());
    }

    void addresses()
    {
        DriverLookup lookup;
        useDriver(lookup, "W1.0");
        QCOMPARE(lookup.addrLengthOfIndex("61"), QStringList({"0x60", "3"}));
        QCOMPARE(lookup.addrLengthOfIndex("42"), QStringList({"0x54", "0a"}));
        QCOMPARE(lookup.addrLengthOfIndex("0"), QStringList({"0x300", "383"}));
        QCOMPARE(lookup.addrLengthOfIndex("201"), QStringList({"0x2C", "3"}));
        QCOMPARE(lookup.addrLengthOfIndex("41"), QStringList());   // no Addr
        QCOMPARE(lookup.addrLengthOfIndex("77"), QStringList());   // unaddressed button
        // The hotkey space of a button is found by its Index as Task.
        QCOMPARE(lookup.addrOfTask("61"), QStringLiteral("0x100"));
        QCOMPARE(lookup.addrOfTask("66"), QStringLiteral("0x240"));
        QCOMPARE(lookup.addrOfTask("71"), QStringLiteral("0x240"));
        QCOMPARE(lookup.addrOfTask("pLights"), QStringLiteral("0x54"));

        QVERIFY(lookup.loadDriver("M1.0"));
        QCOMPARE(lookup.addrLengthOfIndex("61"), QStringList());
        QCOMPARE(lookup.addrOfTask("61"), QString());
    }

    void modifierNamesFollowTheFlags()
    {
        DriverLookup lookup;
        useDriver(lookup, "M1.0");
        const QStringList names{"Ctrl", "Shift", "Alt", "Win"};
        const QStringList bits{"1", "2", "4", "8"};
        const QStringList keys{"E0", "E1", "E2", "E3"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(lookup.codeOfTask(names[i]), bits[i]);

        lookup.setMacroEncoding(true);
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(lookup.codeOfTask(names[i]), keys[i]);
        lookup.setMacroEncoding(false);
        lookup.setSingleHotKey(true);
        QCOMPARE(lookup.codeOfTask("Ctrl"), QStringLiteral("E0"));
        QCOMPARE(lookup.codeOfTask("Win"), QStringLiteral("E3"));
        // Other names are untouched, the right-hand keys included.
        QCOMPARE(lookup.codeOfTask("A"), QStringLiteral("04"));
        QCOMPARE(lookup.codeOfTask("Right Ctrl"), QStringLiteral("E4"));
        QCOMPARE(lookup.codeOfTask("ctrl"), QString());
        lookup.setSingleHotKey(false);
        QCOMPARE(lookup.codeOfTask("Ctrl"), QStringLiteral("1"));

        // M4.0 renames pad and navigation keys but keeps the modifier keys,
        // so the left-hand lookup still finds them there.
        QVERIFY(lookup.loadDriver("M4.0"));
        lookup.setSingleHotKey(true);
        QCOMPARE(lookup.codeOfTask("Shift"), QStringLiteral("E1"));
    }

    void familyDifferences()
    {
        DriverLookup lookup;
        useDriver(lookup, "M4.0");
        QCOMPARE(lookup.codeOfTask("NUMLOCK"), QStringLiteral("53"));
        QVERIFY(lookup.loadDriver("M1.0"));
        QCOMPARE(lookup.codeOfTask("NUMLOCK"), QString());
        QCOMPARE(lookup.codeOfTask("Num Lock"), QStringLiteral("53"));
        QCOMPARE(lookup.codeOfTask("ScrollUp"), QStringLiteral("0x01,0x12,0x00,0x00"));
        QVERIFY(lookup.loadDriver("K2.0"));
        QCOMPARE(lookup.codeOfTask("ScrollUp"), QStringLiteral("0x01,0x11,0x00,0x00"));
        QVERIFY(lookup.loadDriver("W1.0"));
        QCOMPARE(lookup.codeOfTask("LeftClick"), QStringLiteral("0x01,0x01,0x00"));
    }

    void hostileKeyTextsAreLookedUpLiterally()
    {
        DriverLookup lookup;
        useDriver(lookup, "M1.0");
        QCOMPARE(lookup.codeOfTask("\\"), QStringLiteral("31"));
        QCOMPARE(lookup.codeOfTask("'"), QStringLiteral("34"));
        QCOMPARE(lookup.codeOfTask("]"), QStringLiteral("30"));
        // Quotes, brackets and an attempt to widen the query find nothing
        // and throw nothing.
        const QStringList hostile{"\"", "A\"", "A\"] | /Driver/Key[@Task=\"B", "]]", "",
                                  "$value", "1\"or\"1"};
        for (const QString& key : hostile) {
            QCOMPARE(lookup.codeOfTask(key), QString());
            QCOMPARE(lookup.addrOfTask(key), QString());
            QCOMPARE(lookup.lengthOfKey(key), QString());
            QCOMPARE(lookup.addrLengthOfIndex(key), QStringList());
        }

        // A row whose Task really holds a quote is found like any other.
        QVERIFY(lookup.registerDriver(writeFile("quote.xml",
            "<Driver Version=\"Q1.0\"><Key Task=\"say &quot;hi&quot;\" Code=\"0x07\"/></Driver>")));
        QVERIFY(lookup.loadDriver("Q1.0"));
        QCOMPARE(lookup.codeOfTask("say \"hi\""), QStringLiteral("0x07"));
    }
};

QTEST_GUILESS_MAIN(DriverLookupTest)
#include "tst_driver_lookup.moc"
