// JSON from outside that names a member twice is refused before Qt's parser
// sees it (that parser leaks the values it drops); everything else reads as
// QJsonDocument::fromJson reads it.
#include <QtTest>

#include "json_text.h"

class JsonTextTest : public QObject
{
    Q_OBJECT

private slots:
    void repeatedMembersAreRefused_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("repeated");
        QTest::newRow("plain") << QByteArray(R"({"a":1,"b":[{"a":2},{"a":3}]})") << false;
        QTest::newRow("same name in sibling objects") << QByteArray(R"([{"x":1},{"x":2}])") << false;
        QTest::newRow("names as values") << QByteArray(R"({"a":"a","b":["a","a"]})") << false;
        QTest::newRow("top level") << QByteArray(R"({"a":[1],"a":[2]})") << true;
        QTest::newRow("nested, after an inner object") << QByteArray(R"({"d":[{"k":{"z":1},"k":{}}]})") << true;
        QTest::newRow("spelled with an escape") << QByteArray(R"({"ab":{},"a\u0062":{}})") << true;
        QTest::newRow("before a syntax error") << QByteArray(R"({"a":{},"a":{} ,,)") << true;
    }

    void repeatedMembersAreRefused()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, repeated);
        QCOMPARE(JsonText::repeatsMember(text), repeated);
        QJsonParseError error;
        bool duplicate = !repeated;
        const QJsonDocument document = JsonText::parse(text, &error, &duplicate);
        QCOMPARE(duplicate, repeated);
        if (repeated)
            QVERIFY(document.isNull() && error.error != QJsonParseError::NoError);
        else
            QCOMPARE(document, QJsonDocument::fromJson(text));
    }
};

QTEST_GUILESS_MAIN(JsonTextTest)
#include "tst_json_text.moc"
