#include "package_entry_path.h"
#include "package_payload.h"
#include "package_test_support.h"

#include <QtTest>

using namespace TestSupport;

class TestPackagePayload : public QObject
{
    Q_OBJECT

private slots:
    // Qt's own serialisation (used by the writer) read back by the parser,
    // including non-BMP text and empty and null contents.
    void roundTripThroughQDataStream()
    {
        const QVector<PackageFile> files = {
            {QStringLiteral("index.html"), QByteArray("<html></html>")},
            {QStringLiteral("img/\u00e9t\u00e9 \U0001F600.png"), QByteArray("\x00\x01\xFF", 3)},
            {QStringLiteral("empty.txt"), QByteArray("")},
            {QStringLiteral("null.txt"), QByteArray()},
        };
        QByteArray bytes;
        QVERIFY(buildPayload(QStringLiteral("v2.\u00df"), files, &bytes));
        PackagePayload payload;
        QString error;
        QVERIFY2(parsePayload(bytes, &payload, &error), qPrintable(error));
        QCOMPARE(payload.version, QStringLiteral("v2.\u00df"));
        QCOMPARE(payload.entries.size(), files.size());
        for (int i = 0; i < files.size(); ++i) {
            QCOMPARE(payload.entries[i].name, files[i].name);
            QCOMPARE(payload.entries[i].size, quint32(files[i].content.size()));
            QCOMPARE(payload.content(payload.entries[i]), files[i].content);
        }
    }

    void nullFramingAndTrailingBytesAccepted()
    {
        const QByteArray bytes = u32be(0xFFFFFFFF) + u32be(1) + qstring(QStringLiteral("a"))
                                 + u32be(0) + u32be(0xFFFFFFFF) + QByteArray("trailing");
        PackagePayload payload;
        QVERIFY(parsePayload(bytes, &payload));
        QVERIFY(payload.version.isNull());
        QCOMPARE(payload.entries.size(), 1);
        QCOMPARE(payload.entries[0].size, 0u);
    }

    void damagedPayloadFails_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray version = qstring(QStringLiteral("1"));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no count") << version;
        QTest::newRow("count 0") << version + u32be(0);
        QTest::newRow("count larger than entries") << version + u32be(2) + entry(QStringLiteral("a"), "x");
        QTest::newRow("count 0xFFFFFFFF") << version + u32be(0xFFFFFFFF) + entry(QStringLiteral("a"), "x");
        QTest::newRow("count above the limit") << version + u32be(65537) + QByteArray(65537 * 12, '\0');
        QTest::newRow("odd string length") << version + u32be(1) + u32be(3) + QByteArray("abc") + u32be(0) + u32be(0);
        QTest::newRow("string longer than payload") << version + u32be(1) + u32be(0x7FFFFFFE) + QByteArray(16, 'a');
        QTest::newRow("content longer than payload")
            << version + u32be(1) + qstring(QStringLiteral("a")) + u32be(0x7FFFFFF0) + u32be(0x7FFFFFF0) + QByteArray(8, 'x');
        QTest::newRow("size field differs") << version + u32be(1) + entry(QStringLiteral("a"), "xyz", 4);
        QTest::newRow("null content with size") << version + u32be(1) + qstring(QStringLiteral("a")) + u32be(1) + u32be(0xFFFFFFFF);
    }

    void damagedPayloadFails()
    {
        QFETCH(QByteArray, bytes);
        PackagePayload payload;
        QString error;
        QVERIFY(!parsePayload(bytes, &payload, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(payload.entries.isEmpty());
    }

    // Cutting a valid payload anywhere inside its file list must fail, never
    // read past the end.
    void everyTruncationFails()
    {
        QByteArray bytes;
        QVERIFY(buildPayload(QStringLiteral("1.0"),
                             {{QStringLiteral("a/b.txt"), "hello"}, {QStringLiteral("c"), "world!"}},
                             &bytes));
        for (int cut = 0; cut < bytes.size(); ++cut) {
            PackagePayload payload;
            QVERIFY2(!parsePayload(bytes.left(cut), &payload), qPrintable(QString::number(cut)));
        }
    }

    void entryNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");  // null: refused
        QTest::newRow("plain") << "index.html" << "index.html";
        QTest::newRow("doubled slash") << "css//img/a.png" << "css/img/a.png";
        QTest::newRow("trailing slash") << "a/b/" << "a/b";
        QTest::newRow("dot segments") << "./a/./b" << "a/b";
        QTest::newRow("dots in names") << "..a/b..c/...d" << "..a/b..c/...d";
        QTest::newRow("parent") << "../evil" << QString();
        QTest::newRow("inner parent") << "a/../../evil" << QString();
        QTest::newRow("parent leaving nothing") << "a/.." << QString();
        QTest::newRow("absolute") << "/etc/passwd" << QString();
        QTest::newRow("drive") << "C:/x" << QString();
        QTest::newRow("backslash") << "..\\evil" << QString();
        QTest::newRow("nul") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << QString();
        QTest::newRow("empty") << "" << QString();
        QTest::newRow("only slashes") << "//" << QString();
    }

    void entryNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QString relative;
        QString error;
        const bool ok = PackageEntryPath::normalize(name, &relative, &error);
        QCOMPARE(ok, !expected.isNull());
        if (ok)
            QCOMPARE(relative, expected);
        else
            QVERIFY(!error.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestPackagePayload)
#include "tst_package_payload.moc"
