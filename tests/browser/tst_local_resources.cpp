// Which page requests the local page copy answers, with what type, and the
// image scheme's file and re-encoding.
#include "local_resources.h"
#include "local_scheme_handler.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

class TestLocalResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void servesExistingFilesWithTheirType_data();
    void servesExistingFilesWithTheirType();
    void leavesOthersToTheNetwork_data();
    void leavesOthersToTheNetwork();
    void schemeSwapKeepsHostPortAndQuery();
    void imageSchemePathAndEncoding();

private:
    void write(const QString& name, const QByteArray& data);

    QTemporaryDir m_dir;
    const QString m_root = QStringLiteral("http://pages.orvanta.test/local/");
};

void TestLocalResources::write(const QString& name, const QByteArray& data)
{
    const QString path = m_dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

void TestLocalResources::initTestCase()
{
    QCOMPARE(m_root.size(), LocalResources::kPageRootLength);
    write("p/index.html", "<html></html>");
    write("p/app.js", "var a;");
    write("p/style.css", "body{}");
    write("p/empty.html", "");
    write("p/image/logo.png", "\x89PNG raw");
    write("p/photo.jpg", "");
    write("p/data.json", "{}");
    write("p/readme.txt", "read me");
    write("secret.txt", "secret");
}

void TestLocalResources::servesExistingFilesWithTheirType_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("mime");
    QTest::newRow("page") << "p/index.html" << "p/index.html" << QByteArray("text/html");
    QTest::newRow("query ignored") << "p/index.html?lang=en&x=1" << "p/index.html" << QByteArray("text/html");
    QTest::newRow("script") << "p/app.js?v=3" << "p/app.js" << QByteArray("application/javascript");
    QTest::newRow("fragment ignored") << "p/index.html#/device/258A1007/dpi" << "p/index.html" << QByteArray("text/html");
    QTest::newRow("style") << "p/style.css" << "p/style.css" << QByteArray("text/css");
    QTest::newRow("other text as html") << "p/readme.txt" << "p/readme.txt" << QByteArray("text/html");
    // The type test is a substring test: ".json" contains ".js".
    QTest::newRow("json as script") << "p/data.json" << "p/data.json" << QByteArray("application/javascript");
    QTest::newRow("image raw") << "p/image/logo.png" << "p/image/logo.png" << QByteArray("image/png");
    // An empty image is still a file stream: only texts must not be empty.
    QTest::newRow("empty image") << "p/photo.jpg" << "p/photo.jpg" << QByteArray("image/jpeg");
    // The suffix test is on the address: with a query, the ".png" file
    // falls to the text branches (its bytes are not empty).
    QTest::newRow("png with query") << "p/image/logo.png?x" << "p/image/logo.png" << QByteArray("text/html");
}

void TestLocalResources::servesExistingFilesWithTheirType()
{
    QFETCH(QString, relative);
    QFETCH(QString, file);
    QFETCH(QByteArray, mime);
    const LocalResources::Resource r = LocalResources::resolve(m_root + relative, m_dir.path());
    QVERIFY(r.found);
    QCOMPARE(r.path, m_dir.path() + "/" + file);
    QCOMPARE(r.mime, mime);
    QFile f(r.path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(r.data, f.readAll());
}

void TestLocalResources::leavesOthersToTheNetwork_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("missing file") << m_root + "p/missing.html";
    QTest::newRow("empty text") << m_root + "p/empty.html";
    QTest::newRow("folder") << m_root + "p";
    QTest::newRow("not under a page root") << QString("http://pages.orvanta.test/remote/p/index.html");
    QTest::newRow("climbing out") << m_root + "p/../../etc/passwd";
    QTest::newRow("climbing to a sibling") << m_root + "p/../secret.txt";
    QTest::newRow("short address") << QString("http://local/");
}

void TestLocalResources::leavesOthersToTheNetwork()
{
    QFETCH(QString, address);
    QVERIFY(!LocalResources::resolve(address, m_dir.path()).found);
    QVERIFY(!LocalResources::resolve(m_root + "p/index.html", QString()).found);
}

void TestLocalResources::schemeSwapKeepsHostPortAndQuery()
{
    const QUrl network("http://ab.localhost:20345/local/p/index.html?x=1");
    const QUrl local = LocalResources::toLocalUrl(network);
    QCOMPARE(local.toString(), QString("orvanta-local://ab.localhost:20345/local/p/index.html?x=1"));
    QCOMPARE(LocalResources::toNetworkUrl(local), network);

    QVERIFY(LocalResources::isServedLocally(QUrl(m_root + "p/index.html"), m_dir.path()));
    QVERIFY(!LocalResources::isServedLocally(QUrl(m_root + "p/missing.html"), m_dir.path()));
    // Only network addresses are redirected: the local scheme itself is not.
    QVERIFY(!LocalResources::isServedLocally(LocalResources::toLocalUrl(QUrl(m_root + "p/index.html")),
                                             m_dir.path()));
}

void TestLocalResources::imageSchemePathAndEncoding()
{
    const QString base = "orvanta://settings/abcdefghijkl/";   // 32 characters
    QCOMPARE(base.size(), 32);
    QCOMPARE(LocalResources::imagePath(base + "skin/x/image/a.png?v=1", "/pages"),
             QString("/pages/skin/image/a.png"));
    QCOMPARE(LocalResources::imagePath(base + "skin/a.jpg", "/pages"), QString());
    QCOMPARE(LocalResources::imagePath(base + "skin/../../image/a.png", "/pages"), QString());

    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(Qt::red);
    const QString png = m_dir.filePath("red.png");
    QVERIFY(image.save(png));
    QByteArray mime;
    const QByteArray bytes = ImageSchemeHandler::encode(png, &mime);
    QCOMPARE(mime, QByteArray("image/png"));
    QImage decoded;
    QVERIFY(decoded.loadFromData(bytes, "png"));
    QCOMPARE(decoded.size(), QSize(4, 3));
    QCOMPARE(decoded.pixelColor(0, 0), QColor(Qt::red));

    const QString jpg = m_dir.filePath("red.jpg");
    QVERIFY(image.save(jpg));
    QVERIFY(!ImageSchemeHandler::encode(jpg, &mime).isEmpty());
    QCOMPARE(mime, QByteArray("image/jpg"));

    // An image that does not load gives an empty body.
    QVERIFY(ImageSchemeHandler::encode(m_dir.filePath("p/app.js.png"), &mime).isEmpty());
}

QTEST_GUILESS_MAIN(TestLocalResources)
#include "tst_local_resources.moc"
