// The key value table read from the Define document.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "temp_text_file.h"

#include "key_value_table.h"

class KeyValueTableTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& text) { return writeTempFile(m_dir, name, text); }

private slots:
    void shippedTable_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("code");
        QTest::newRow("letter") << "A" << "04";
        QTest::newRow("bare modifier") << "CTRL" << "E0";
        QTest::newRow("expanded Ctrl") << "LEFT CTRL" << "E0";
        QTest::newRow("expanded Win") << "LEFT WIN" << "E3";
        // The virtual keyboard needs the real usages, not the keypad codes
        // some device tables store for these keys.
        QTest::newRow("Enter") << "ENTER" << "28";
        QTest::newRow("Page Up") << "PAGE UP" << "4B";
        QTest::newRow("left button") << "左键" << "1";
        QTest::newRow("back button") << "后退" << "8";
        QTest::newRow("forward button") << "前进" << "10";
        QTest::newRow("wheel up") << "120" << "1";
        QTest::newRow("wheel down") << "-120" << "-1";
        QTest::newRow("lower case is not a key") << "a" << "";
        QTest::newRow("page spelling is not a key") << "Left Ctrl" << "";
        QTest::newRow("absent") << "NO SUCH KEY" << "";
    }

    void shippedTable()
    {
        QFETCH(QString, key);
        QFETCH(QString, code);
        KeyValueTable table;
        QVERIFY(table.load());
        QCOMPARE(table.hidCode(key), code);
    }

    void loadFailsOnlyWhenTheFileCannotBeOpened()
    {
        KeyValueTable table;
        QVERIFY(table.load());
        const int shipped = table.size();
        QVERIFY(shipped > 108);

        // An unopenable path keeps what was loaded.
        QVERIFY(!table.load(m_dir.filePath("absent.xml")));
        QCOMPARE(table.size(), shipped);

        QVERIFY(table.load(writeFile("broken.xml", "<keyboard><key value=")));
        QVERIFY(table.isEmpty());
        QVERIFY(table.load(writeFile("other.xml", "<map><key value=\"a\" hidCode=\"04\"/></map>")));
        QVERIFY(table.isEmpty());
    }

    void valuesAreUpperCasedAndLaterRowsWin()
    {
        KeyValueTable table;
        QVERIFY(table.load(writeFile("rows.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<keyboard name=\"t\">"
            "<key value=\"Left Shift\" hidCode=\"E1\"/>"
            "<key value=\"x\" hidCode=\"1B\"/>"
            "<key value=\"X\" hidCode=\"99\"/>"
            "<key hidCode=\"00\"/>"
            "</keyboard>")));
        QCOMPARE(table.hidCode("LEFT SHIFT"), QStringLiteral("E1"));
        QCOMPARE(table.hidCode("X"), QStringLiteral("99"));
        QCOMPARE(table.hidCode(""), QStringLiteral("00"));
        QCOMPARE(table.size(), 3);
    }
};

QTEST_GUILESS_MAIN(KeyValueTableTest)
#include "tst_key_value_table.moc"
