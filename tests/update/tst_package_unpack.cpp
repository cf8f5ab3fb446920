#include "package_reader.h"
#include "package_test_support.h"
#include "package_unpacker.h"
#include "package_writer.h"
#include "staged_unpack.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

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

// Python's lzma module is an independent LZMA implementation: "build" packs
// a package with it, "read" checks one of ours and prints its payload digest.
const char kPythonScript[] = R"PY(
import hashlib, struct, sys
try:
    import lzma
except ImportError:
    sys.exit(77)
def qstring(s):
    b = s.encode('utf-16-be')
    return struct.pack('>I', len(b)) + b
if sys.argv[1] == 'build':
    files = [('index.html', b'<html>python</html>'), ('js//app.js', bytes(range(256)) * 100), ('empty', b'')]
    payload = qstring('py-1') + struct.pack('>I', len(files))
    for name, data in files:
        payload += qstring(name) + struct.pack('>II', len(data), len(data)) + data
    alone = lzma.compress(payload, format=lzma.FORMAT_ALONE)  # properties, 8-byte size, stream
    signed = alone[0:5] + struct.pack('<I', len(payload)) + alone[13:]
    open(sys.argv[2], 'wb').write(b'P' * 128 + hashlib.sha1(signed).digest() + signed)
else:
    data = open(sys.argv[2], 'rb').read()
    size = struct.unpack('<I', data[153:157])[0]
    payload = lzma.decompress(data[148:153] + struct.pack('<Q', size) + data[157:], format=lzma.FORMAT_ALONE)
    ok = hashlib.sha1(data[148:]).digest() == data[128:148] and len(payload) == size
    print(hashlib.sha1(payload).hexdigest() if ok else 'bad package')
)PY";

// Runs the script; false with an empty `why` means "skip".
bool runPython(const QStringList &args, QByteArray *output, QString *why)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        return false;
    QProcess process;
    process.start(python, QStringList{QStringLiteral("-c"), QString::fromUtf8(kPythonScript)} + args);
    if (!process.waitForFinished(60000) || process.exitCode() == 77)
        return false;
    *output = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *why = QString::fromUtf8(process.readAllStandardError());
        return false;
    }
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
    // Includes the doubled slash between two folder names: both folders are
    // created and the file lands in the inner one.
    void roundTrip()
    {
        const QVector<PackageFile> files = {
            {QStringLiteral("index.html"), "<html/>"},
            {QStringLiteral("a/b/c/deep.js"), QByteArray(300 * 1024, 'j') + "end"},
            {QStringLiteral("css//img/a.png"), "png"},
            {QStringLiteral("a/empty"), QByteArray()},
            {QStringLiteral("\u00fcml\u00e4ut.txt"), "u"},
        };
        const QString package = packagePath();
        const QString target = targetPath();
        QString error;
        QVERIFY2(writePackageFile(package, QStringLiteral("3.1"), files, &error), qPrintable(error));
        QVERIFY2(unpackPackage(package, target, true, &error), qPrintable(error));
        QVERIFY(!QFile::exists(package));
        const auto found = filesBelow(target);
        QCOMPARE(found.size(), files.size());
        for (const PackageFile &file : files)
            QCOMPARE(found.value(QString(file.name).replace(QStringLiteral("//"), QStringLiteral("/"))), file.content);
        QVERIFY(QFileInfo(target + QStringLiteral("/css/img")).isDir());
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
        // Qt reads a path starting with ':' as a resource: the folder would
        // be made in the working folder instead of the target.
        QTest::newRow("resource prefix folder")
            << packageFromPayload(versionAndCount(2) + good + entry(QStringLiteral(":evil/evil.txt"), "x"));
        QTest::newRow("inner resource prefix")
            << packageFromPayload(versionAndCount(2) + good + entry(QStringLiteral("a/:evil/evil.txt"), "x"));
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
        QVERIFY(!QFileInfo::exists(QDir::currentPath() + QStringLiteral("/:evil")));
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

    // A folder swapped for a link while packages unpack into it: what is
    // checked is what is opened, so nothing ever lands where the link
    // points, and named pipes or other non-files are never written.
    void linksSwappedInMeanwhileAreNotFollowed()
    {
        const QString outside = m_dir.filePath(QStringLiteral("swap-outside"));
        const QString target = targetPath();
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(QDir().mkpath(target + QStringLiteral("/d")));
        QVERIFY(QFile::link(outside, target + QStringLiteral("/d.link")));
        const QByteArray package = packageFromPayload(versionAndCount(1) + entry(QStringLiteral("d/x.txt"), "x"));

        std::atomic<bool> stop{false};
        std::thread swapper([&]() {
            const QByteArray d = QFile::encodeName(target + QStringLiteral("/d"));
            const QByteArray link = d + ".link";
            // Exchanged in one step: "d" is always there, a folder or a link.
            while (!stop)
                ::renameat2(AT_FDCWD, d.constData(), AT_FDCWD, link.constData(), RENAME_EXCHANGE);
        });
        QElapsedTimer timer;
        timer.start();
        int runs = 0;
        while (timer.elapsed() < 1500 && !QFile::exists(outside + QStringLiteral("/x.txt"))) {
            unpackPackageData(package, target);
            ++runs;
        }
        stop = true;
        swapper.join();
        qInfo("%d unpackings while the folder was swapped", runs);
        QVERIFY(runs > 10);
        QVERIFY(!QFile::exists(outside + QStringLiteral("/x.txt")));

        const QString fifo = target + QStringLiteral("/pipe");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QString error;
        QVERIFY(!unpackPackageData(packageFromPayload(versionAndCount(1) + entry(QStringLiteral("pipe"), "x")), target,
                                   &error));
        QVERIFY(!error.isEmpty());
    }

    // The page copy is replaced whole by a fresh unpacking: nothing found
    // in its place before is kept, a link there is removed, not followed,
    // and a failed unpacking leaves the old copy.
    void replacingUnpackKeepsOnlyThePackage()
    {
        const QString package = packagePath();
        QVERIFY(writePackageFile(package, QStringLiteral("1"), {{QStringLiteral("t/index.html"), "page"}}));
        const QString copy = m_dir.filePath(QStringLiteral("copy"));
        QVERIFY(QDir().mkpath(copy + QStringLiteral("/t/index.html/blocker")));
        QVERIFY(writeFile(copy + QStringLiteral("/t/evil.html"), "evil"));
        QString error;
        QVERIFY2(unpackReplacingFolder(package, copy, &error), qPrintable(error));
        QCOMPARE(filesBelow(copy).keys(), QStringList{QStringLiteral("t/index.html")});
        QCOMPARE(readFile(copy + QStringLiteral("/t/index.html")), QByteArray("page"));
        QVERIFY(QFile::exists(package));

        const QString outside = m_dir.filePath(QStringLiteral("replace-outside"));
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(writeFile(outside + QStringLiteral("/keep.txt"), "keep"));
        QVERIFY(QDir(copy).removeRecursively());
        QVERIFY(QFile::link(outside, copy));
        QVERIFY(unpackReplacingFolder(package, copy));
        QVERIFY(!QFileInfo(copy).isSymLink());
        QCOMPARE(filesBelow(outside).keys(), QStringList{QStringLiteral("keep.txt")});

        const QString broken = packagePath();
        QVERIFY(writeFile(broken, QByteArray(200, 'x')));
        QVERIFY(!unpackReplacingFolder(broken, copy));
        QCOMPARE(filesBelow(copy).keys(), QStringList{QStringLiteral("t/index.html")});
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral(".copy-*")}, QDir::AllEntries | QDir::Hidden),
                 QStringList());
    }

    void interoperatesWithPythonLzma()
    {
        const QString fromPython = packagePath();
        QByteArray output;
        QString why;
        if (!runPython({QStringLiteral("build"), fromPython}, &output, &why)) {
            if (!why.isEmpty())
                QFAIL(qPrintable(why));
            QSKIP("no python3 with lzma");
        }
        const QString target = targetPath();
        QString error;
        QVERIFY2(unpackPackage(fromPython, target, true, &error), qPrintable(error));
        QByteArray js;
        for (int i = 0; i < 256 * 100; ++i)
            js += char(i & 0xFF);
        const auto found = filesBelow(target);
        QCOMPARE(found.keys(), QStringList({"empty", "index.html", "js/app.js"}));
        QCOMPARE(found.value(QStringLiteral("index.html")), QByteArray("<html>python</html>"));
        QCOMPARE(found.value(QStringLiteral("js/app.js")), js);

        const QVector<PackageFile> files = {{QStringLiteral("x/y.bin"), QByteArray(70000, '\x42') + "tail"},
                                            {QStringLiteral("\u00e9.txt"), "e"}};
        QByteArray payload;
        QVERIFY(buildPayload(QStringLiteral("9.9"), files, &payload));
        for (bool endMarker : {false, true}) {
            const QString ours = packagePath();
            PackageWriteOptions options;
            options.endMarker = endMarker;
            QVERIFY(writePackageFile(ours, QStringLiteral("9.9"), files, nullptr, options));
            QVERIFY2(runPython({QStringLiteral("read"), ours}, &output, &why), qPrintable(why));
            QCOMPARE(output.trimmed(), QCryptographicHash::hash(payload, QCryptographicHash::Sha1).toHex());
        }
    }
};

QTEST_GUILESS_MAIN(TestPackageUnpack)
#include "tst_package_unpack.moc"
