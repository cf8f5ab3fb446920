// The bound on the pages' XPath expressions: what the pages use passes,
// what would take time growing with a power of the document is refused
// before it runs.
#include <QtTest>

#include "command_dispatcher.h"
#include "recording_host.h"
#include "xpath_bound.h"

class XPathBoundTest : public QObject
{
    Q_OBJECT

private slots:
    void pageExpressionsPass()
    {
        for (const char* expression :
             {"//Key[@Index=61]/@Value", "/Configuration/Mode[@Index=1]", "//Key/@Index", "/*", "/root/@name",
              "/Configuration/Mode[@Index='1']/Key[@Index=61 and @Type!=\"x\"]", "//Key[contains(@Name, 'a//b')]",
              "//Mode[Key/@Index=61][position() = last()]", "//Key[not(@Value)] | //Mode[2]", "count(//Key)",
              "/a/b[c[@d=1]]/e", "//Key[text() = 'x']", "(/a/b)[1]//c", "//a[@x = -1 * 2]", "//ns:Key[@ns:a=1]",
              "//Key[. = 'v']", "/descendant::Key[@Index > 2 div 1]"}) {
            QString why;
            QVERIFY2(xpathWithinBounds(expression, &why), qPrintable(QString("%1: %2").arg(expression, why)));
        }
    }

    void costlyExpressionsAreRefused()
    {
        const QString deep = QString("/a") + QString("[b").repeated(3) + QString("]").repeated(3);
        const QString nested = QString("(").repeated(17) + "/a" + QString(")").repeated(17);
        for (const QString& expression : {
                 QString("/r[count(//*[count(//*[count(//*)>0])>0])>0]/k[1]"),
                 QString("//*[count(//*)>0]"), QString("//*[.//*]"), QString("//*[descendant::*]"),
                 QString("//*[count(../*) > 1]"), QString("//*[following-sibling::*]"), QString("//*//*"),
                 QString("//a/descendant::b"), QString("(//a)//b"), QString("//*[* = *]"), QString("//*[@* = @*]"),
                 QString("id('x')"), QString("//a[\"unclosed]"), QString("/a") + QString("/b").repeated(300),
                 deep, nested}) {
            QString why;
            QVERIFY2(!xpathWithinBounds(expression, &why), qPrintable(expression));
            QVERIFY(!why.isEmpty());
        }
    }

    // The expression that once kept the window busy for half a minute on a
    // 3001-element document is refused at once, and logged.
    void readFileToStrRefusesIt()
    {
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        QFile file(host.path("big.xml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<r>" + QByteArray("<k/>").repeated(3000) + "</r>");
        file.close();
        const auto ask = [&](const char* xpath) {
            return send(dispatcher, QString("{\"FuncName\":\"ReadFileToStr\",\"FilePath\":\"big.xml\",\"Xpath\":\"%1\"}")
                                        .arg(xpath));
        };
        const Answer refused = ask("/r[count(//*[count(//*[count(//*)>0])>0])>0]/k[1]");
        QCOMPARE(refused.kind, Answer::Failure);
        QCOMPARE(refused.text, QString("queryProfile load xml file failed!"));
        QCOMPARE(ask("/r[count(k)>0]/k[1]").text, QString("<k />\n"));
    }
};

QTEST_GUILESS_MAIN(XPathBoundTest)
#include "tst_xpath_bound.moc"
