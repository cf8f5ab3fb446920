// Runs the orvanta-pack binary the build produced.

#include "firmware_image.h"
#include "package_test_support.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run pack(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(ORVANTA_PACK_BINARY), args);
    Run run;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class TestOrvantaPack : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(path(QStringLiteral("src/css/img"))));
        QVERIFY(writeFile(path(QStringLiteral("src/index.html")), "<html>index</html>"));
        QVERIFY(writeFile(path(QStringLiteral("src/css/img/logo.png")), QByteArray(5000, '\x89')));
        QVERIFY(writeFile(path(QStringLiteral("src/.hidden")), "h"));
    }

    void packListVerifyUnpack()
    {
        const QString package = path(QStringLiteral("skn.dat"));
        Run run = pack({QStringLiteral("pack"), path(QStringLiteral("src")), package, QStringLiteral("--version"),
                        QStringLiteral("4.2")});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));

        run = pack({QStringLiteral("list"), package});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 QStringList({QStringLiteral("version: 4.2"), QStringLiteral("files: 3"), QStringLiteral("1\t.hidden"),
                              QStringLiteral("5000\tcss/img/logo.png"), QStringLiteral("18\tindex.html")}));

        // A whole package, but nobody signed it.
        run = pack({QStringLiteral("verify"), package});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.startsWith(QStringLiteral("package OK")));
        QVERIFY(run.err.contains(QStringLiteral("not signed by a trusted key")));

        run = pack({QStringLiteral("unpack"), package, path(QStringLiteral("kept")), QStringLiteral("--keep")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(QFile::exists(package));
        QCOMPARE(readFile(path(QStringLiteral("kept/css/img/logo.png"))), QByteArray(5000, '\x89'));

        run = pack({QStringLiteral("unpack"), package, path(QStringLiteral("out"))});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(!QFile::exists(package));
        QCOMPARE(readFile(path(QStringLiteral("out/index.html"))), QByteArray("<html>index</html>"));
        QCOMPARE(readFile(path(QStringLiteral("out/.hidden"))), QByteArray("h"));
    }

    void keygenSignAndVerify()
    {
        const QString key = path(QStringLiteral("keys/test.key"));
        const QString pub = path(QStringLiteral("keys/test.pub"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("keys"))));
        Run run = pack({QStringLiteral("keygen"), QStringLiteral("--name"), QStringLiteral("Lab key"),
                        QStringLiteral("--secret-key"), key, QStringLiteral("--public-key"), pub});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(QFileInfo(key).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        // Never over an existing key.
        const QByteArray secret = readFile(key);
        QVERIFY(pack({QStringLiteral("keygen"), QStringLiteral("--secret-key"), key, QStringLiteral("--public-key"),
                      path(QStringLiteral("keys/other.pub"))})
                    .exitCode > 0);
        QCOMPARE(readFile(key), secret);

        const QString package = path(QStringLiteral("signed.dat"));
        run = pack({QStringLiteral("pack"), path(QStringLiteral("src")), package, QStringLiteral("--key"), key,
                    QStringLiteral("--sequence"), QStringLiteral("12"), QStringLiteral("--min-version"),
                    QStringLiteral("0.1")});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        // Not trusted without its public key; trusted with it.
        QCOMPARE(pack({QStringLiteral("verify"), package}).exitCode, 1);
        run = pack({QStringLiteral("verify"), package, QStringLiteral("--public-key"), pub});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(run.out.contains(QStringLiteral("signed by Lab key, release 12, for Orvanta 0.1.0 or newer")));

        // Signing an existing package, then one byte changed anywhere.
        const QString later = path(QStringLiteral("later.dat"));
        QVERIFY(pack({QStringLiteral("pack"), path(QStringLiteral("src")), later}).exitCode == 0);
        run = pack({QStringLiteral("sign"), later, QStringLiteral("--key"), key, QStringLiteral("--sequence"),
                    QStringLiteral("13")});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(pack({QStringLiteral("verify"), later, QStringLiteral("--public-key"), pub}).out.contains(
            QStringLiteral("release 13")));
        const QByteArray good = readFile(later);
        for (int at : {8, 20, 85, 150, int(good.size() - 3)}) {
            QByteArray bad = good;
            bad[at] = char(bad[at] ^ 0x04);
            QVERIFY(writeFile(later, bad));
            QVERIFY2(pack({QStringLiteral("verify"), later, QStringLiteral("--public-key"), pub}).exitCode > 0,
                     qPrintable(QString::number(at)));
        }

        // A list signed for a channel verifies as the program checks it.
        QVERIFY(writeFile(path(QStringLiteral("list.json")), "{\"code\":1}"));
        run = pack({QStringLiteral("sign-list"), path(QStringLiteral("list.json")), QStringLiteral("--key"), key,
                    QStringLiteral("--channel"), QStringLiteral("upgrade"), QStringLiteral("--sequence"),
                    QStringLiteral("4")});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        MinisignSignature signature;
        QVERIFY(Minisign::parseSignature(readFile(path(QStringLiteral("list.json.minisig"))), &signature));
        UpdateKeys keys;
        keys.addFromText(readFile(pub), pub, nullptr);
        const UpdateKey *signer = nullptr;
        QVERIFY(Minisign::verify("{\"code\":1}", signature, keys, &signer));
        QCOMPARE(signer->name, QStringLiteral("Lab key"));
        QVERIFY(signature.trustedComment.contains(QStringLiteral("channel:upgrade\tsequence:4\texpires:")));
        QVERIFY(pack({QStringLiteral("sign-list"), path(QStringLiteral("list.json")), QStringLiteral("--key"), key})
                    .exitCode > 0);
    }

    void corruptPackageFailsEveryCommand()
    {
        const QString package = path(QStringLiteral("bad.dat"));
        QVERIFY(pack({QStringLiteral("pack"), path(QStringLiteral("src")), package}).exitCode == 0);
        QByteArray bytes = readFile(package);
        bytes[bytes.size() - 2] = char(bytes[bytes.size() - 2] ^ 0x40);
        QVERIFY(writeFile(package, bytes));

        for (const QString &command : {QStringLiteral("list"), QStringLiteral("verify")}) {
            const Run run = pack({command, package});
            QVERIFY(run.exitCode > 0);
            QVERIFY(run.err.contains(QStringLiteral("SHA-1")));
        }
        const Run run = pack({QStringLiteral("unpack"), package, path(QStringLiteral("never"))});
        QVERIFY(run.exitCode > 0);
        QVERIFY(!run.err.isEmpty());
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("never"))));
    }

    void usageAndInputErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no command") << QStringList();
        QTest::newRow("missing argument") << QStringList{"unpack", "x.dat"};
        QTest::newRow("unknown option") << QStringList{"list", "x.dat", "--keep"};
        QTest::newRow("missing package") << QStringList{"verify", "does-not-exist.dat"};
        QTest::newRow("missing folder") << QStringList{"pack", "no-such-folder", "x.dat"};
    }

    void usageAndInputErrors()
    {
        QFETCH(QStringList, args);
        const Run run = pack(args);
        QVERIFY(run.exitCode > 0);
        QVERIFY(!run.err.isEmpty());
    }

    void firmwareImagesForTheBootLoader()
    {
        QVERIFY(writeFile(path(QStringLiteral("rom.bin")), "123456789"));
        Run run = pack({QStringLiteral("firmware"), path(QStringLiteral("rom.bin")), QStringLiteral("258A1007"),
                        path(QStringLiteral("update.bin"))});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        FirmwareImage image;
        QVERIFY(FirmwareImage::parse(readFile(path(QStringLiteral("update.bin"))), &image));
        QCOMPARE(image.deviceId(), QStringLiteral("258A1007"));
        QCOMPARE(image.romLength(), 9u);
        QCOMPARE(image.checkValue(), 0xCBF43926u);
        QCOMPARE(image.romBytes(0, 9), QByteArray("123456789"));

        run = pack({QStringLiteral("firmware"), path(QStringLiteral("rom.bin")), QStringLiteral("0123456789ABCDE"),
                    path(QStringLiteral("long-id.bin"))});
        QVERIFY(run.exitCode > 0);
        QVERIFY(!QFile::exists(path(QStringLiteral("long-id.bin"))));
    }

    void emptyFolderIsNotPacked()
    {
        QVERIFY(QDir().mkpath(path(QStringLiteral("empty/sub"))));
        const Run run = pack({QStringLiteral("pack"), path(QStringLiteral("empty")), path(QStringLiteral("e.dat"))});
        QVERIFY(run.exitCode > 0);
        QVERIFY(!QFile::exists(path(QStringLiteral("e.dat"))));
    }
};

QTEST_GUILESS_MAIN(TestOrvantaPack)
#include "tst_orvanta_pack.moc"
