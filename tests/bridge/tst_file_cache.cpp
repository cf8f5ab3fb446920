#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "file_cache.h"

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class FileCacheTest : public QObject
{
    Q_OBJECT

private slots:
    void readsOnceAndKeepsTheCachedText()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("profile.xml");
        QVERIFY(writeFile(path, "<a>\xc3\xa9</a>"));

        FileCache cache;
        QVERIFY(cache.load(path));
        QCOMPARE(cache.text(path), QString::fromUtf8("<a>\xc3\xa9</a>"));

        // A later change on disk is not seen: the cache is read once.
        QVERIFY(writeFile(path, "<b/>"));
        QVERIFY(cache.load(path));
        QCOMPARE(cache.text(path), QString::fromUtf8("<a>\xc3\xa9</a>"));
        QVERIFY(!cache.hasPending());
    }

    void unreadableFileIsNotCached()
    {
        QTemporaryDir dir;
        FileCache cache;
        const QString path = dir.filePath("missing.xml");
        QVERIFY(!cache.load(path));
        QVERIFY(!cache.contains(path));
        QCOMPARE(cache.text(path), QString());
    }

    void writeOutWritesPendingInOrderAndClears()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath("a.xml");
        const QString b = dir.filePath("b.xml");
        FileCache cache;
        cache.store(b, "B1");
        cache.store(a, QString::fromUtf8("A \xe2\x9c\x93"));
        cache.store(b, "B2"); // already pending: listed once, newest text
        QCOMPARE(cache.pending(), QStringList({b, a}));

        QVERIFY(cache.writeOut());
        QVERIFY(!cache.hasPending());
        QCOMPARE(readAll(a), QByteArray("A \xe2\x9c\x93"));
        QCOMPARE(readAll(b), QByteArray("B2"));
        QVERIFY(cache.writeOut()); // nothing pending
    }

    void failedWriteKeepsPendingAndTheOldFile()
    {
        QTemporaryDir dir;
        const QString good = dir.filePath("good.xml");
        const QString locked = dir.filePath("locked/profile.xml");
        QVERIFY(QDir(dir.path()).mkdir("locked"));
        QVERIFY(writeFile(locked, "old"));
        QVERIFY(QFile::setPermissions(dir.filePath("locked"),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const bool cannotWrite = !QFile(dir.filePath("locked/probe")).open(QIODevice::WriteOnly);
        if (!cannotWrite) {
            QFile::setPermissions(dir.filePath("locked"), QFileDevice::ReadOwner
                                      | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("running with rights that ignore folder permissions");
        }

        FileCache cache;
        cache.store(locked, "new");
        cache.store(good, "good");
        QVERIFY(!cache.writeOut());
        QCOMPARE(cache.pending(), QStringList({locked}));
        QCOMPARE(readAll(locked), QByteArray("old")); // not truncated
        QCOMPARE(readAll(good), QByteArray("good"));  // not held up

        QVERIFY(QFile::setPermissions(dir.filePath("locked"), QFileDevice::ReadOwner
                                          | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        QVERIFY(cache.writeOut());
        QCOMPARE(readAll(locked), QByteArray("new"));
        QCOMPARE(readAll(good), QByteArray("good"));
    }

    void missingFolderKeepsPending()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("absent/profile.xml");
        FileCache cache;
        cache.store(path, "x");
        QVERIFY(!cache.writeOut());
        QCOMPARE(cache.pending(), QStringList({path}));
        QCOMPARE(cache.entries().value(path), QString("x"));
    }

    // A link put where a pending file goes, or a folder that now leads out
    // of the cache's folder, is never written through.
    void neverWritesThroughALink()
    {
        QTemporaryDir dir;
        QTemporaryDir outside;
        FileCache cache;
        cache.setFolder(dir.path());
        const QString linked = dir.filePath("linked.xml");
        const QString dangling = dir.filePath("dangling.xml");
        const QString below = dir.filePath("sub/p.xml");
        QVERIFY(writeFile(outside.filePath("victim.xml"), "victim"));
        QVERIFY(QFile::link(outside.filePath("victim.xml"), linked));
        QVERIFY(QFile::link(outside.filePath("new.xml"), dangling));
        QVERIFY(QFile::link(outside.path(), dir.filePath("sub")));
        for (const QString& path : {linked, dangling, below})
            cache.store(path, "owned");
        QVERIFY(!cache.writeOut());
        QCOMPARE(cache.pending(), QStringList({linked, dangling, below}));
        QCOMPARE(readAll(outside.filePath("victim.xml")), QByteArray("victim"));
        QCOMPARE(QDir(outside.path()).entryList(QDir::Files), QStringList({"victim.xml"}));
        QVERIFY(QFileInfo(linked).isSymLink() && QFileInfo(dangling).isSymLink());
    }
};

QTEST_GUILESS_MAIN(FileCacheTest)
#include "tst_file_cache.moc"
