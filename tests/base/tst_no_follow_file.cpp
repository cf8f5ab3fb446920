#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "no_follow_file.h"

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Writing where a page or a download names a file: never through a link
// in the name, only into regular files, only below the given folder.
class NoFollowFileTest : public QObject
{
    Q_OBJECT

private slots:
    void linksAndOddFilesAreRefused()
    {
        QTemporaryDir dir;
        QTemporaryDir outside;
        const QString root = dir.path();
        QVERIFY(QFile::link(outside.filePath("new"), dir.filePath("dangling")));
        QVERIFY(QFile::link(outside.path(), dir.filePath("out")));
        QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600) == 0);
        for (const char* name : {"dangling", "fifo", "out/x", "out"}) {
            const QString path = dir.filePath(name);
            QVERIFY2(!NoFollowFile::canWrite(path, root), name);
            QVERIFY2(!NoFollowFile::save(path, "x", root), name);
            QFile file;
            QVERIFY2(!NoFollowFile::open(file, path, O_CREAT | O_APPEND, QIODevice::WriteOnly | QIODevice::Append,
                                         root),
                     name);
        }
        QVERIFY(!NoFollowFile::makeFolder(dir.filePath("dangling/sub"), root));
        QVERIFY(!NoFollowFile::makeFolder(dir.filePath("out/sub"), root));
        QVERIFY(!NoFollowFile::makeFolder(dir.filePath("out"), root));
        QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

        // Without a folder to stay in, a link on the way is followed; the
        // name itself still is not.
        QVERIFY(NoFollowFile::save(dir.filePath("out/x"), "x", QString()));
        QCOMPARE(readAll(outside.filePath("x")), QByteArray("x"));
        QVERIFY(!NoFollowFile::save(dir.filePath("dangling"), "x", QString()));
    }

    void savesWholeAndKeepsPermissions()
    {
        QTemporaryDir dir;
        QTemporaryDir linkHome;
        // The folder itself may be reached through a link.
        const QString root = linkHome.filePath("app");
        QVERIFY(QFile::link(dir.path(), root));
        QVERIFY(NoFollowFile::makeFolder(root, root));
        QVERIFY(NoFollowFile::makeFolder(root + "/a/b", root));
        const QString path = root + "/a/b/f.xml";
        QVERIFY(NoFollowFile::canWrite(path, root));
        QVERIFY(NoFollowFile::save(path, "one", root));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(NoFollowFile::save(path, "two", root));
        QCOMPARE(readAll(dir.filePath("a/b/f.xml")), QByteArray("two"));
        struct stat info;
        QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0640));
        QCOMPARE(QDir(dir.filePath("a/b")).entryList(QDir::Files | QDir::Hidden), QStringList({"f.xml"}));

        QFile file;
        QVERIFY(NoFollowFile::open(file, path, O_APPEND, QIODevice::WriteOnly | QIODevice::Append, root));
        QCOMPARE(file.write("+"), qint64(1));
        file.close();
        QCOMPARE(readAll(path), QByteArray("two+"));
    }
};

QTEST_GUILESS_MAIN(NoFollowFileTest)
#include "tst_no_follow_file.moc"
