// Registry and lookups of device_data_handler on the shipped Driver
// definitions and on small documents written for a single case.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "temp_text_file.h"

#include "device_data_handler.h"

class DriverLookupTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& text) { return writeTempFile(m_dir, name, text); }

    // A handler with the shipped definitions and `version` in use.
    static void useDriver(device_data_handler& handler, const QString& version)
    {
        handler.registerDefaultDrivers();
        QVERIFY2(handler.loadDriver(version), qPrintable(version));
    }

private slots:
    void registersShippedDriversInOrderWithoutK4()
    {
        QCOMPARE(device_data_handler::defaultDriverPaths().last(), QStringLiteral(":/drive/K4.0"));
        device_data_handler handler;
        QCOMPARE(handler.registerDefaultDrivers(), 6);
        QCOMPARE(handler.registeredVersions(),
                 QStringList({"K1.0", "K2.0", "M1.0", "M2.0", "M4.0", "W1.0"}));

        QFile resource(":/drive/W1.0");
        QVERIFY(resource.open(QIODevice::ReadOnly));
        QCOMPARE(handler.driverText("W1.0"), resource.readAll());

        // A write naming K4.0 finds nothing to load.
        QVERIFY(handler.driverText("K4.0").isEmpty());
        QVERIFY(!handler.loadDriver("K4.0"));
    }

    void registrationSkipsUnusableDocumentsAndLaterReplaces()
    {
        device_data_handler handler;
        QVERIFY(!handler.registerDriver(m_dir.filePath("absent.xml")));
        QVERIFY(!handler.registerDriver(writeFile("broken.xml", "<Driver Version=\"X1.0\"><Key")));
        QVERIFY(!handler.registerDriver(writeFile("noversion.xml", "<Driver><Key Task=\"a\"/></Driver>")));
        QVERIFY(handler.registeredVersions().isEmpty());

        QVERIFY(handler.registerDriver(":/drive/M1.0"));
        const QString replacement = writeFile(
            "m1.xml", "<Driver Version=\"M1.0\"><Key Task=\"MacroData\" Length=\"7\"/></Driver>");
        QVERIFY(handler.registerDriver(replacement));
        QVERIFY(handler.loadDriver("M1.0"));
        QCOMPARE(handler.lengthOfKey("MacroData"), QStringLiteral("7"));
    }

    void failedLoadLeavesNoStaleDefinition()
    {
        device_data_handler handler;
        QCOMPARE(handler.codeOfTask("LeftClick"), QString());
        useDriver(handler, "M1.0");
        QCOMPARE(handler.loadedDriverVersion(), QStringLiteral("M1.0"));
        QCOMPARE(handler.codeOfTask("LeftClick"), QStringLiteral("0x01,0x01,0x00,0x00"));

        QVERIFY(!handler.loadDriver("K3.0"));
        QVERIFY(!handler.isDriverLoaded());
        QCOMPARE(handler.codeOfTask("LeftClick"), QString());
        QCOMPARE(handler.lengthOfKey("1"), QString());
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
        device_data_handler handler;
        useDriver(handler, version);
        QCOMPARE(handler.lengthOfKey(key), length);
    }

    void firstRowInDocumentOrderAnswers()
    {
        device_data_handler handler;
        QVERIFY(handler.registerDriver(writeFile("dup.xml",
            "<Driver Version=\"T1.0\">"
            "<Key Task=\"x\" Index=\"7\" Length=\"first\" Addr=\"\" Code=\"c1\"/>"
            "<Key Task=\"x\" Index=\"7\" Length=\"second\" Addr=\"0x10\" Code=\"c2\"/>"
            "</Driver>")));
        QVERIFY(handler.loadDriver("T1.0"));
        QCOMPARE(handler.lengthOfKey("7"), QStringLiteral("first"));
        QCOMPARE(handler.codeOfTask("x"), QStringLiteral("c1"));
        // The first row has no Addr: no fallback to the second.
        QCOMPARE(handler.addrLengthOfIndex("7"), QStringList());
        QCOMPARE(handler.addrOfTask("x"), QString());
    }

    void addresses()
    {
        device_data_handler handler;
        useDriver(handler, "W1.0");
        QCOMPARE(handler.addrLengthOfIndex("61"), QStringList({"0x60", "3"}));
        QCOMPARE(handler.addrLengthOfIndex("42"), QStringList({"0x54", "0a"}));
        QCOMPARE(handler.addrLengthOfIndex("0"), QStringList({"0x300", "383"}));
        QCOMPARE(handler.addrLengthOfIndex("201"), QStringList({"0x2C", "3"}));
        QCOMPARE(handler.addrLengthOfIndex("41"), QStringList());   // no Addr
        QCOMPARE(handler.addrLengthOfIndex("77"), QStringList());   // unaddressed button
        // The hotkey space of a button is found by its Index as Task.
        QCOMPARE(handler.addrOfTask("61"), QStringLiteral("0x100"));
        QCOMPARE(handler.addrOfTask("66"), QStringLiteral("0x240"));
        QCOMPARE(handler.addrOfTask("71"), QStringLiteral("0x240"));
        QCOMPARE(handler.addrOfTask("pLights"), QStringLiteral("0x54"));

        QVERIFY(handler.loadDriver("M1.0"));
        QCOMPARE(handler.addrLengthOfIndex("61"), QStringList());
        QCOMPARE(handler.addrOfTask("61"), QString());
    }

    void modifierNamesFollowTheFlags()
    {
        device_data_handler handler;
        useDriver(handler, "M1.0");
        const QStringList names{"Ctrl", "Shift", "Alt", "Win"};
        const QStringList bits{"1", "2", "4", "8"};
        const QStringList keys{"E0", "E1", "E2", "E3"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(handler.codeOfTask(names[i]), bits[i]);

        handler.setMacroEncoding(true);
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(handler.codeOfTask(names[i]), keys[i]);
        handler.setMacroEncoding(false);
        handler.setSingleHotKey(true);
        QCOMPARE(handler.codeOfTask("Ctrl"), QStringLiteral("E0"));
        QCOMPARE(handler.codeOfTask("Win"), QStringLiteral("E3"));
        // Other names are untouched, the right-hand keys included.
        QCOMPARE(handler.codeOfTask("A"), QStringLiteral("04"));
        QCOMPARE(handler.codeOfTask("Right Ctrl"), QStringLiteral("E4"));
        QCOMPARE(handler.codeOfTask("ctrl"), QString());
        handler.setSingleHotKey(false);
        QCOMPARE(handler.codeOfTask("Ctrl"), QStringLiteral("1"));

        // M4.0 renames pad and navigation keys but keeps the modifier keys,
        // so the left-hand lookup still finds them there.
        QVERIFY(handler.loadDriver("M4.0"));
        handler.setSingleHotKey(true);
        QCOMPARE(handler.codeOfTask("Shift"), QStringLiteral("E1"));
    }

    void familyDifferences()
    {
        device_data_handler handler;
        useDriver(handler, "M4.0");
        QCOMPARE(handler.codeOfTask("NUMLOCK"), QStringLiteral("53"));
        QVERIFY(handler.loadDriver("M1.0"));
        QCOMPARE(handler.codeOfTask("NUMLOCK"), QString());
        QCOMPARE(handler.codeOfTask("Num Lock"), QStringLiteral("53"));
        QCOMPARE(handler.codeOfTask("ScrollUp"), QStringLiteral("0x01,0x12,0x00,0x00"));
        QVERIFY(handler.loadDriver("K2.0"));
        QCOMPARE(handler.codeOfTask("ScrollUp"), QStringLiteral("0x01,0x11,0x00,0x00"));
        QVERIFY(handler.loadDriver("W1.0"));
        QCOMPARE(handler.codeOfTask("LeftClick"), QStringLiteral("0x01,0x01,0x00"));
    }

    void hostileKeyTextsAreLookedUpLiterally()
    {
        device_data_handler handler;
        useDriver(handler, "M1.0");
        QCOMPARE(handler.codeOfTask("\\"), QStringLiteral("31"));
        QCOMPARE(handler.codeOfTask("'"), QStringLiteral("34"));
        QCOMPARE(handler.codeOfTask("]"), QStringLiteral("30"));
        // Quotes, brackets and an attempt to widen the query find nothing
        // and throw nothing.
        const QStringList hostile{"\"", "A\"", "A\"] | /Driver/Key[@Task=\"B", "]]", "",
                                  "$value", "1\"or\"1"};
        for (const QString& key : hostile) {
            QCOMPARE(handler.codeOfTask(key), QString());
            QCOMPARE(handler.addrOfTask(key), QString());
            QCOMPARE(handler.lengthOfKey(key), QString());
            QCOMPARE(handler.addrLengthOfIndex(key), QStringList());
        }

        // A row whose Task really holds a quote is found like any other.
        QVERIFY(handler.registerDriver(writeFile("quote.xml",
            "<Driver Version=\"Q1.0\"><Key Task=\"say &quot;hi&quot;\" Code=\"0x07\"/></Driver>")));
        QVERIFY(handler.loadDriver("Q1.0"));
        QCOMPARE(handler.codeOfTask("say \"hi\""), QStringLiteral("0x07"));
    }
};

QTEST_GUILESS_MAIN(DriverLookupTest)
#include "tst_driver_lookup.moc"
