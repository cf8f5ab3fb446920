// The segmented downloader against a server on 127.0.0.1: the resume rule,
// the range header, 416, servers that ignore or misplace ranges, a
// connection dropped mid-file, bad statuses and packages, and the paths a
// download may land on.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "http_test_server.h"
#include "package_test_support.h"
#include "update_service.h"
#include "wrap_file_download.h"

using namespace TestSupport;

namespace {

struct Outcome {
    bool finished = false;
    bool ok = false;
    QString text;
    QString filePath;
};

} // namespace

class SegmentedDownloadTest : public QObject
{
    Q_OBJECT

private:
    HttpTestServer server;
    QTemporaryDir base;
    int stallTimeoutMs = 5000;
    qint64 minimumRate = 256;
    int rateWindowMs = 60000;
    int deadlineMs = 0;

    Outcome download(const QString& path, const QString& subFolder = "tupdates")
    {
        Outcome outcome;
        wrapFileDownload wrapper;
        QSignalSpy ended(&wrapper, &wrapFileDownload::downloadEnded);
        DownloadOptions options;
        options.baseFolder = base.path();
        options.stallTimeoutMs = stallTimeoutMs;
        options.minimumBytesPerSecond = minimumRate;
        options.rateWindowMs = rateWindowMs;
        options.deadlineMs = deadlineMs;
        wrapper.downloadFile(path.startsWith("http") ? path : server.url(path), subFolder,
                             wrapFileDownload::PageFile, options,
                             makeQueryCallback([&](const QString& text) { outcome.text = text; },
                                               [&](int, const QString& text) { outcome.text = text; }));
        outcome.filePath = wrapper.filePath();
        outcome.finished = ended.wait(10000);
        outcome.ok = outcome.finished && ended.at(0).at(0).toBool();
        return outcome;
    }

    QString partial(const QString& name) const { return base.filePath("tupdates/" + name); }

    void writePartial(const QString& name, const QByteArray& bytes)
    {
        QDir().mkpath(base.filePath("tupdates"));
        QVERIFY(writeFile(partial(name), bytes));
    }

    QByteArray unpacked() const { return readFile(base.filePath("payload.bin")); }

private slots:
    void initTestCase()
    {
        QVERIFY(!TestSigning::trustTestKey().isEmpty());
        QVERIFY(server.start());
    }
    void init()
    {
        server.clear();
        QDir(base.path()).removeRecursively();
        QDir().mkpath(base.path());
    }

    void resumeRule_data()
    {
        QTest::addColumn<int>("partialSize");
        QTest::addColumn<QByteArray>("range");
        QTest::newRow("none") << 0 << QByteArray("bytes=0-");
        QTest::newRow("250 000 resumes at 204 800") << 250000 << QByteArray("bytes=204800-");
        QTest::newRow("50 000 starts over") << 50000 << QByteArray("bytes=0-");
    }

    void resumeRule()
    {
        QFETCH(int, partialSize);
        QFETCH(QByteArray, range);
        const QByteArray package = sizedPackage("payload.bin", 300000);
        server.serve("/files/pkg.dat", package);
        if (partialSize)
            writePartial("pkg.dat", package.left(partialSize));
        const Outcome outcome = download("/files/pkg.dat?token=1");
        QVERIFY(outcome.ok);
        QCOMPARE(server.header(0, "Range"), range);
        QCOMPARE(outcome.text, QDir::cleanPath(partial("pkg.dat")));
        QCOMPARE(unpacked().size(), 300000);
        QVERIFY(!QFile::exists(partial("pkg.dat")));  // a package is used once
    }

    void aCompleteFileAnswered416IsUnpacked()
    {
        const QByteArray package = sizedPackage("payload.bin", 150000, 204800);
        QCOMPARE(package.size(), 204800);
        server.serve("/pkg.dat", package);
        writePartial("pkg.dat", package);
        QVERIFY(download("/pkg.dat").ok);
        QCOMPARE(server.header(0, "Range"), QByteArray("bytes=204800-"));
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(unpacked().size(), 150000);
    }

    void mismatchedRangesStartTheFileOver_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("range ignored (200)") << int(HttpTestServer::IgnoreRanges);
        QTest::newRow("206 from byte 0") << int(HttpTestServer::RangeFromZero);
    }

    void mismatchedRangesStartTheFileOver()
    {
        QFETCH(int, mode);
        const QByteArray package = sizedPackage("payload.bin", 300000, 0, 7);
        HttpTestServer::File file{package};
        file.ranges = HttpTestServer::RangeMode(mode);
        server.serve("/pkg.dat", file);
        // The partial file holds other bytes than the server's: appending the
        // whole reply to it would make a file that never unpacks.
        writePartial("pkg.dat", QByteArray(204800, 'p'));
        const Outcome outcome = download("/pkg.dat");
        QVERIFY(outcome.ok);
        QCOMPARE(server.header(0, "Range"), QByteArray("bytes=204800-"));
        QCOMPARE(unpacked().size(), 300000);
    }

    void aDroppedConnectionNeverCorruptsTheFile()
    {
        // Whether the connection's end is reported as an error (the partial
        // file is kept for the next download) or as a short reply (the rest
        // is asked for at once) depends on the timing of the close.
        const QByteArray package = sizedPackage("payload.bin", 300000, 0, 3);
        HttpTestServer::File dropping{package};
        dropping.dropAfter = 150000;
        server.serve("/pkg.dat", dropping);
        if (!download("/pkg.dat").ok) {
            const QByteArray kept = readFile(partial("pkg.dat"));
            QVERIFY(!kept.isEmpty());
            QCOMPARE(kept, package.left(kept.size()));
            // Served in parts of 100 000 bytes this time: each reply is
            // followed by a request for the rest.
            HttpTestServer::File parts{package};
            parts.partSize = 100000;
            server.serve("/pkg.dat", parts);
            server.clear();
            QVERIFY(download("/pkg.dat").ok);
            const int resumed = kept.size() / 102400 * 102400;
            QCOMPARE(server.header(0, "Range"), "bytes=" + QByteArray::number(resumed) + "-");
            if (resumed + 100000 < package.size())
                QCOMPARE(server.header(1, "Range"), "bytes=" + QByteArray::number(resumed + 100000) + "-");
        }
        QCOMPARE(unpacked().size(), 300000);
    }

    void aStalledTransferEndsAndKeepsThePartialFile()
    {
        HttpTestServer::File stalling{sizedPackage("payload.bin", 300000, 0, 4)};
        stalling.stallAfter = 150000;
        server.serve("/pkg.dat", stalling);
        stallTimeoutMs = 500;
        const Outcome outcome = download("/pkg.dat");
        stallTimeoutMs = 5000;
        QVERIFY(outcome.finished && !outcome.ok);
        QCOMPARE(QFileInfo(partial("pkg.dat")).size(), 150000);
    }

    void aTrickleBelowTheMinimumRateEndsTheDownload()
    {
        // A byte every 100 ms keeps the stall timer quiet for ever; the rate
        // over a window ends it, the partial file kept for a resume.
        HttpTestServer::File trickling{sizedPackage("payload.bin", 3000, 0, 4)};
        trickling.trickleMs = 100;
        server.serve("/slow.dat", trickling);
        minimumRate = 100;
        rateWindowMs = 1500;
        const Outcome slow = download("/slow.dat");
        QVERIFY(slow.finished && !slow.ok);
        const qint64 kept = QFileInfo(partial("slow.dat")).size();
        QVERIFY2(kept > 0 && kept < 3000, qPrintable(QString::number(kept)));

        // And a whole download that does not end in time.
        QFile::remove(partial("slow.dat"));
        minimumRate = 0;
        deadlineMs = 1200;
        const Outcome late = download("/slow.dat");
        QVERIFY(late.finished && !late.ok);
        minimumRate = 256;
        rateWindowMs = 60000;
        deadlineMs = 0;
    }

    void compressedRepliesAreRefused()
    {
        // The request asks for the bytes as they are; a server that sends
        // them compressed all the same is refused, whatever they inflate to.
        const QByteArray package = sizedPackage("payload.bin", 1000);
        HttpTestServer::File gzipped{package};
        gzipped.extraHeaders = "Content-Encoding: gzip\r\n";
        server.serve("/gz.dat", gzipped);
        server.clear();
        const Outcome outcome = download("/gz.dat");
        QVERIFY(outcome.finished && !outcome.ok);
        QCOMPARE(server.header(0, "Accept-Encoding"), QByteArray("identity"));
        QVERIFY(!QFile::exists(base.filePath("payload.bin")));
        QVERIFY(!QFile::exists(partial("gz.dat")));
    }

    void failuresOtherThanTheNetworkDeleteTheFile()
    {
        QByteArray damaged = sizedPackage("payload.bin", 1000);
        damaged[200] = char(damaged[200] ^ 1);
        server.serve("/damaged.dat", damaged);
        const Outcome bad = download("/damaged.dat");
        QVERIFY(bad.finished && !bad.ok);
        QVERIFY(!QFile::exists(partial("damaged.dat")));
        QVERIFY(!QFile::exists(base.filePath("payload.bin")));

        writePartial("missing.dat", QByteArray(204800, 'm'));
        const Outcome missing = download("/missing.dat");
        QVERIFY(missing.finished && !missing.ok);
        QVERIFY(!QFile::exists(partial("missing.dat")));
    }

    void pathsStayInsideTheFolder()
    {
        // No name in the address: "file-N".
        const Outcome unnamed = download("/dir/");
        QVERIFY(QRegularExpression("/tupdates/file-\\d+$").match(unnamed.filePath).hasMatch());

        // A sub-folder outside the base folder is refused before any request.
        server.clear();
        const Outcome outside = download("/pkg.dat", "../elsewhere");
        QVERIFY(outside.finished && !outside.ok);
        QVERIFY(server.requests().isEmpty());

        // A link where the file goes, dangling or not, is refused, never
        // written through.
        QTemporaryDir other;
        const QString victim = other.filePath("victim");
        QVERIFY(writeFile(victim, QByteArray(204800, 'v')));
        QDir().mkpath(base.filePath("tupdates"));
        QVERIFY(QFile::link(victim, partial("pkg.dat")));
        QVERIFY(QFile::link(other.filePath("new.dat"), partial("new.dat")));
        server.serve("/pkg.dat", sizedPackage("payload.bin", 1000));
        server.serve("/new.dat", sizedPackage("payload.bin", 1000));
        QVERIFY(!download("/pkg.dat").ok);
        QVERIFY(!download("/new.dat").ok);
        QVERIFY(server.requests().isEmpty());
        QCOMPARE(readFile(victim), QByteArray(204800, 'v'));
        QVERIFY(!QFile::exists(other.filePath("new.dat")));

        // Nor does a download, or what it unpacks, replace the program's
        // own files.
        QVERIFY(writeFile(base.filePath("Updater"), "program"));
        server.serve("/Updater", sizedPackage("payload.bin", 1000));
        server.serve("/evil.dat", sizedPackage("Updater", 1000));
        QVERIFY(!download("/Updater", "").ok);
        QVERIFY(!download("/evil.dat").ok);
        QCOMPARE(readFile(base.filePath("Updater")), QByteArray("program"));
    }

    void oneDownloadOfAFileAtATime()
    {
        HttpTestServer::File stalling{sizedPackage("payload.bin", 300000, 0, 6)};
        stalling.stallAfter = 1000;
        server.serve("/slow.dat", stalling);
        UpdateService updates(base.path());
        updates.setStallTimeoutMs(300);
        QStringList answers;
        const auto record = [&](const QString& prefix) {
            return makeQueryCallback([&, prefix](const QString& text) { answers << prefix + " " + text; },
                                     [&, prefix](int, const QString& text) { answers << prefix + " " + text; });
        };
        QSignalSpy ended(&updates, &UpdateService::downloadEnded);
        updates.downloadPageFile(server.url("/slow.dat"), "tupdates", record("first"));
        updates.downloadPageFile(server.url("/slow.dat?again"), "tupdates", record("second"));
        QCOMPARE(answers, QStringList{"second downloadFaild"});
        QVERIFY(updates.busy());
        QVERIFY(ended.wait(5000));
        QCOMPARE(answers, (QStringList{"second downloadFaild", "first downloadFaild"}));
        QCOMPARE(QFileInfo(partial("slow.dat")).size(), 1000);  // kept for the next attempt
    }

    void pageFileDownloadsReportProgressThenOneHundredPercent()
    {
        server.serve("/pkg.dat", sizedPackage("payload.bin", 300000, 0, 5));
        UpdateService updates(base.path());
        QList<QVariantList> events;
        connect(&updates, &UpdateService::pageEvent, this, [&](const QString& name, const QVariantList& args) {
            QCOMPARE(name, QString("RefreshDownState"));
            events << args;
        });
        QString answer;
        QSignalSpy ended(&updates, &UpdateService::downloadEnded);
        updates.downloadPageFile(server.url("/pkg.dat"), "pages/new",
                                 makeQueryCallback([&](const QString& text) { answer = text; }, nullptr));
        QVERIFY(ended.wait(10000));
        const QString path = QDir::cleanPath(base.filePath("pages/new/pkg.dat"));
        QCOMPARE(answer, path);
        QVERIFY(events.size() >= 2);
        QCOMPARE(events.last(), (QVariantList{100, 100, path}));
        const QVariantList progress = events.at(events.size() - 2);
        QCOMPARE(progress.at(0).toInt(), progress.at(1).toInt());  // the whole file arrived
        QCOMPARE(progress.at(2).toString(), path);
    }
};

QTEST_GUILESS_MAIN(SegmentedDownloadTest)
#include "tst_segmented_download.moc"
