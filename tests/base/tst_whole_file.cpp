// A saved file is committed only when every byte reached the disk: under a
// file size limit QSaveFile alone commits the cut file and answers true.
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

#include "whole_file.h"

static QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class WholeFileTest : public QObject
{
    Q_OBJECT

private slots:
    void aFileCutShortIsNeverCommitted()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("profile.xml");
        const QByteArray old("<old/>");
        const QByteArray large(4096, 'x');
        {
            QSaveFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(writeWholeFile(file, old));
        }
        QCOMPARE(fileBytes(path), old);

        // Files may grow to 64 bytes only; the write past it fails (EFBIG)
        // instead of raising SIGXFSZ.
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
        rlimit limited = previous;
        limited.rlim_cur = 64;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        bool written = true;
        bool streamed = true;
        {
            QSaveFile file(path);
            if (file.open(QIODevice::WriteOnly))
                written = writeWholeFile(file, large);
        }
        {
            // Written by a caller of its own (a data stream, say), then committed.
            QSaveFile file(path);
            if (file.open(QIODevice::WriteOnly | QIODevice::Text))
                streamed = file.write(large) == large.size() && commitWholeFile(file);
        }
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(!written);
        QVERIFY(!streamed);
        QCOMPARE(fileBytes(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"profile.xml"}));
    }
};

QTEST_GUILESS_MAIN(WholeFileTest)
#include "tst_whole_file.moc"
