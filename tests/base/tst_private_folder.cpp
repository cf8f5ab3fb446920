// Folders only this user can reach: what the program trusts must not lie
// where another user can prepare it.
#include "private_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(const QString& path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

bool giveAway(const QString& path)
{
    // Only root can hand a folder to another user.
    return ::geteuid() == 0 && ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
}

} // namespace

class TestPrivateFolder : public QObject
{
    Q_OBJECT

private slots:
    void ensureCreatesNarrowsAndRefuses()
    {
        QTemporaryDir dir;
        const QString fresh = dir.filePath("fresh");
        QVERIFY(ensurePrivateFolder(fresh));
        QCOMPARE(modeOf(fresh), mode_t(0700));
        QVERIFY(isPrivateFolder(fresh));

        const QString open = dir.filePath("open");
        QVERIFY(QDir().mkdir(open));
        ::chmod(QFile::encodeName(open).constData(), 0777);
        QVERIFY(!isPrivateFolder(open));
        QVERIFY(ensurePrivateFolder(open));
        QCOMPARE(modeOf(open), mode_t(0700));

        QString why;
        QVERIFY(QFile::link(fresh, dir.filePath("link")));
        QVERIFY(!ensurePrivateFolder(dir.filePath("link"), &why));
        QVERIFY(why.contains("not a folder"));
        QFile file(dir.filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(!ensurePrivateFolder(dir.filePath("file")));

        const QString theirs = dir.filePath("theirs");
        QVERIFY(QDir().mkdir(theirs));
        if (!giveAway(theirs))
            QSKIP("only root can prepare another user's folder");
        QVERIFY(!ensurePrivateFolder(theirs, &why));
        QVERIFY(why.contains("belongs to the user 65534"));
    }

    void runtimeFolderFallsBackPastUnsafePlaces()
    {
        QTemporaryDir runtime, temp, cache;
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));

        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        QCOMPARE(privateRuntimeFolder(), runtime.path() + "/orvanta");
        QVERIFY(isPrivateFolder(runtime.path() + "/orvanta"));

        // A runtime folder others may enter is not the session's own.
        ::chmod(QFile::encodeName(runtime.path()).constData(), 0755);
        const QString shared = temp.path() + QStringLiteral("/orvanta-%1").arg(::geteuid());
        QCOMPARE(privateRuntimeFolder(), shared);
        qunsetenv("XDG_RUNTIME_DIR");
        QCOMPARE(privateRuntimeFolder(), shared);

        // Another user took the name in the temporary folder first.
        QVERIFY(QDir(shared).removeRecursively());
        QVERIFY(QDir().mkdir(shared));
        if (!giveAway(shared))
            QSKIP("only root can prepare another user's folder");
        QCOMPARE(privateRuntimeFolder(), cache.path() + "/orvanta-runtime");
        QVERIFY(isPrivateFolder(cache.path() + "/orvanta-runtime"));
    }
};

QTEST_GUILESS_MAIN(TestPrivateFolder)
#include "tst_private_folder.moc"
