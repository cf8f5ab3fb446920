#include "PackageReader.h"
#include "PackageTestSupport.h"
#include "PackageUnpacker.h"
#include "PackageWriter.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

// Every file below `folder`, relative name -> content.
QMap<QString, QByteArray> filesBelow(const QString &folder)
{
    QMap<QString, QByteArray> found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        found.insert(QDir(folder).relativeFilePath(path), readFile(path));
    }
    return found;
}

QByteArray versionAndCount(quint32 count)
{
    return qstring(QStringLiteral("1.0")) + u32be(count);
}

// Packs with Python's lzma module (an independent LZMA implementation) and
// reads our packages back with it.
const char kPythonScript[] = R"PY(
import hashlib, lzma, struct, sys

def qstring(s):
    b = s.encode('utf-16-be')
    return struct.pack('>I', len(b)) + b

def build(path):
    files = [('index.html', b'<html>python</html>'),
             ('js//app.js', bytes(range(256)) * 100),
             ('empty', b'')]
    payload = qstring('py-1') + struct.pack('>I', len(files))
    for name, data in files:
        payload += qstring(name) + struct.pack('>I', len(data)) + struct.pack('>I', len(data)) + data
    alone = lzma.compress(payload, format=lzma.FORMAT_ALONE)
    signed = alone[0:5] + struct.pack('<I', len(payload)) + alone[13:]
    with open(path, 'wb') as f:
        f.write(b'P' * 128 + hashlib.sha1(signed).digest() + signed)

def read(path):
    data = open(path, 'rb').read()
    if hashlib.sha1(data[148:]).digest() != data[128:148]:
        sys.exit('digest mismatch')
    size = struct.unpack('<I', data[153:157])[0]
    payload = lzma.decompress(data[148:153] + struct.pack('<Q', size) + data[157:], format=lzma.FORMAT_ALONE)
    if len(payload) != size:
        sys.exit('size mismatch')
    pos = 0
    def u32():
        nonlocal pos
        pos += 4
        return struct.unpack('>I', payload[pos - 4:pos])[0]
    def text():
        nonlocal pos
        n = u32()
        pos += n
        return payload[pos - n:pos].decode('utf-16-be')
    print(text())
    for _ in range(u32()):
        name = text(); size = u32(); n = u32()
        pos += n
        print('%s\t%d\t%s' % (name, size, hashlib.sha1(payload[pos - n:pos]).hexdigest()))

build(sys.argv[2]) if sys.argv[1] == 'build' else read(sys.argv[2])
)PY";

bool runPython(const QStringList &args, QByteArray *output, QString *why)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        *why = QStringLiteral("python3 not found");
        return false;
    }
    QProcess probe;
    probe.start(python, {QStringLiteral("-c"), QStringLiteral("import lzma")});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0) {
        *why = QStringLiteral("python3 without lzma");
        return false;
    }
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PYTHONIOENCODING"), QStringLiteral("utf-8"));
    process.setProcessEnvironment(env);
    process.start(python, QStringList{QStringLiteral("-c"), QString::fromUtf8(kPythonScript)} + args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        *why = QStringLiteral("python failed: ") + QString::fromUtf8(process.readAllStandardError());
        return false;
    }
    *output = process.readAllStandardOutput();
    return true;
}

} // namespace

class TestPackageUnpack : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_serial = 0;

    // A fresh package path and target folder for each case.
    QString packagePath() { return m_dir.filePath(QStringLiteral("p%1.dat").arg(++m_serial)); }
    QString targetPath() { return m_dir.filePath(QStringLiteral("target%1").arg(++m_serial)); }

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<bool>("endMarker");
        QTest::newRow("no end marker") << false;
        QTest::newRow("end marker") << true;
    }

    void roundTrip()
    {
        QFETCH(bool, endMarker);
        QByteArray big(300 * 1024, '\0');
        for (int i = 0; i < big.size(); ++i)
            big[i] = char((i * 7919) >> 3);
        const QVector<PackageFile> files = {
            {QStringLiteral("index.html"), "<html/>"},
            {QStringLiteral("a/b/c/deep.js"), big},
            {QStringLiteral("a/empty"), QByteArray()},
            {QStringLiteral("\u00fcml\u00e4ut.txt"), "u"},
        };
        const QString package = packagePath();
        const QString target = targetPath();
        PackageWriteOptions options;
        options.endMarker = endMarker;
        QString error;
        QVERIFY2(writePackageFile(package, QStringLiteral("3.1"), files, &error, options), qPrintable(error));

        PackagePayload listed;
        QVERIFY(inspectPackage(package, &listed));
        QCOMPARE(listed.version, QStringLiteral("3.1"));
        QVERIFY(QFile::exists(package));

        QVERIFY2(unpackPackage(package, target, true, &error), qPrintable(error));
        QVERIFY(!QFile::exists(package));
        const auto found = filesBelow(target);
        QCOMPARE(found.size(), files.size());
        for (const PackageFile &file : files)
            QCOMPARE(found.value(file.name), file.content);
    }

    // The start-up page package is unpacked without being deleted, every time.
    void keepModeLeavesPackage()
    {
        const QString package = packagePath();
        const QString target = targetPath();
        QVERIFY(writePackageFile(package, QStringLiteral("1"), {{QStringLiteral("page.html"), "p"}}));
        const QByteArray before = readFile(package);
        QVERIFY(unpackPackage(package, target, false));
        QVERIFY(writeFile(target + QStringLiteral("/page.html"), "changed by hand, longer"));
        QVERIFY(unpackPackage(package, target, false));
        QCOMPARE(readFile(package), before);
        QCOMPARE(readFile(target + QStringLiteral("/page.html")), QByteArray("p"));
    }

    void digestMismatchDeletesAndWritesNothing_data()
    {
        QTest::addColumn<int>("offset");
        QTest::newRow("digest") << 130;
        QTest::newRow("properties") << 148;
        QTest::newRow("size field") << 154;
        QTest::newRow("stream") << -1;
    }

    void digestMismatchDeletesAndWritesNothing()
    {
        QFETCH(int, offset);
        QByteArray bytes;
        QVERIFY(buildPackage(QStringLiteral("1"), {{QStringLiteral("a.txt"), "data"}}, &bytes));
        const int at = offset < 0 ? bytes.size() - 1 : offset;
        bytes[at] = char(bytes[at] ^ 0x01);
        const QString package = packagePath();
        const QString target = targetPath();
        QVERIFY(writeFile(package, bytes));
        QString error;
        QVERIFY(!unpackPackage(package, target, true, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(package));
        QVERIFY(!QFileInfo::exists(target));
    }

    // Packages that pass the digest but are damaged inside: none of them
    // writes anything, not even the target folder.
    void damagedContentWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("package");
        const QByteArray good = entry(QStringLiteral("good.txt"), "ok");
        const QByteArray payload = versionAndCount(1) + good;
        QTest::newRow("file count 0") << packageFromPayload(versionAndCount(0));
        QTest::newRow("size field differs")
            << packageFromPayload(versionAndCount(2) + good + entry(QStringLiteral("b"), "xy", 3));
        QTest::newRow("count beyond entries") << packageFromPayload(versionAndCount(3) + good);
        QTest::newRow("announced size too large") << packageFromPayload(payload, payload.size() + 10);
        QTest::newRow("announced size too large, end marker")
            << packageFromPayload(payload, payload.size() + 10, true);
        QTest::newRow("announced size above the limit") << packageFromPayload(payload, 0xFFFFFFF0);
        QTest::newRow("parent segment after a good file")
            << packageFromPayload(versionAndCount(2) + good + entry(QStringLiteral("../evil.txt"), "x"));
        QTest::newRow("inner parent segment")
            << packageFromPayload(versionAndCount(2) + good + entry(QStringLiteral("a/../../evil.txt"), "x"));
        QTest::newRow("absolute name")
            << packageFromPayload(versionAndCount(2) + good + entry(m_dir.filePath(QStringLiteral("evil.txt")), "x"));
        QTest::newRow("empty name") << packageFromPayload(versionAndCount(2) + good + entry(QString(), "x"));
    }

    void damagedContentWritesNothing()
    {
        QFETCH(QByteArray, package);
        QVERIFY(!package.isEmpty());
        const QString target = targetPath();
        QString error;
        QVERIFY(!unpackPackageData(package, target, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(target));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("evil.txt"))));
    }

    void doubledSlashCreatesBothFolders()
    {
        const QString target = targetPath();
        QVERIFY(unpackPackageData(packageFromPayload(versionAndCount(1) + entry(QStringLiteral("css//img/a.png"), "png")),
                                  target));
        QVERIFY(QFileInfo(target + QStringLiteral("/css")).isDir());
        QVERIFY(QFileInfo(target + QStringLiteral("/css/img")).isDir());
        QCOMPARE(readFile(target + QStringLiteral("/css/img/a.png")), QByteArray("png"));
    }

    // Too short to be a package, or missing: fails, and a short file stays.
    void unreadablePackages()
    {
        const QString package = packagePath();
        QVERIFY(writeFile(package, QByteArray(157, 'x')));
        QVERIFY(!unpackPackage(package, targetPath()));
        QVERIFY(QFile::exists(package));
        QVERIFY(!unpackPackage(m_dir.filePath(QStringLiteral("missing.dat")), targetPath()));
    }

    // A write failure stops unpacking; files written before it stay.
    void writeFailureKeepsEarlierFiles()
    {
        const QString target = targetPath();
        QVERIFY(QDir().mkpath(target));
        QVERIFY(writeFile(target + QStringLiteral("/blocker"), "a file, not a folder"));
        QString error;
        QVERIFY(!unpackPackageData(packageFromPayload(versionAndCount(3) + entry(QStringLiteral("first.txt"), "1")
                                                      + entry(QStringLiteral("blocker/x.txt"), "2")
                                                      + entry(QStringLiteral("third.txt"), "3")),
                                   target, &error));
        QVERIFY(error.contains(QStringLiteral("blocker")));
        QCOMPARE(readFile(target + QStringLiteral("/first.txt")), QByteArray("1"));
        QVERIFY(!QFile::exists(target + QStringLiteral("/third.txt")));
    }

    // Links below the target (which may sit in a shared temporary folder)
    // are never followed.
    void symbolicLinksAreNotFollowed()
    {
        const QString outside = m_dir.filePath(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(writeFile(outside + QStringLiteral("/victim.txt"), "original"));
        const QString target = targetPath();
        QVERIFY(QDir().mkpath(target));
        QVERIFY(QFile::link(outside, target + QStringLiteral("/dir")));
        QVERIFY(QFile::link(outside + QStringLiteral("/victim.txt"), target + QStringLiteral("/file.txt")));

        QVERIFY(!unpackPackageData(packageFromPayload(versionAndCount(1) + entry(QStringLiteral("dir/new/x.txt"), "x")), target));
        QVERIFY(!unpackPackageData(packageFromPayload(versionAndCount(1) + entry(QStringLiteral("file.txt"), "x")), target));
        QCOMPARE(filesBelow(outside).keys(), QStringList{QStringLiteral("victim.txt")});
        QCOMPARE(readFile(outside + QStringLiteral("/victim.txt")), QByteArray("original"));
    }

    void packageFromPythonUnpacks()
    {
        const QString package = packagePath();
        QByteArray output;
        QString why;
        if (!runPython({QStringLiteral("build"), package}, &output, &why)) {
            if (why.startsWith(QStringLiteral("python failed")))
                QFAIL(qPrintable(why));
            QSKIP(qPrintable(why));
        }
        const QString target = targetPath();
        QString error;
        QVERIFY2(unpackPackage(package, target, true, &error), qPrintable(error));
        QByteArray js;
        for (int i = 0; i < 100; ++i)
            for (int b = 0; b < 256; ++b)
                js += char(b);
        const auto found = filesBelow(target);
        QCOMPARE(found.size(), 3);
        QCOMPARE(found.value(QStringLiteral("index.html")), QByteArray("<html>python</html>"));
        QCOMPARE(found.value(QStringLiteral("js/app.js")), js);
        QVERIFY(found.contains(QStringLiteral("empty")));
    }

    void pythonReadsOurPackages_data()
    {
        roundTrip_data();
    }

    void pythonReadsOurPackages()
    {
        QFETCH(bool, endMarker);
        const QVector<PackageFile> files = {{QStringLiteral("x/y.bin"), QByteArray(70000, '\x42') + "tail"},
                                            {QStringLiteral("\u00e9.txt"), "e"}};
        const QString package = packagePath();
        PackageWriteOptions options;
        options.endMarker = endMarker;
        QVERIFY(writePackageFile(package, QStringLiteral("9.9"), files, nullptr, options));
        QByteArray output;
        QString why;
        if (!runPython({QStringLiteral("read"), package}, &output, &why)) {
            if (why.startsWith(QStringLiteral("python failed")))
                QFAIL(qPrintable(why));
            QSKIP(qPrintable(why));
        }
        QStringList expected{QStringLiteral("9.9")};
        for (const PackageFile &file : files)
            expected << QStringLiteral("%1\t%2\t%3")
                            .arg(file.name)
                            .arg(file.content.size())
                            .arg(QString::fromLatin1(
                                QCryptographicHash::hash(file.content, QCryptographicHash::Sha1).toHex()));
        QCOMPARE(QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
    }
};

QTEST_GUILESS_MAIN(TestPackageUnpack)
#include "tst_packageunpack.moc"
