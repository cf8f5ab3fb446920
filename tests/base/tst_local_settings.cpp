#include "local_settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestLocalSettings : public QObject {
    Q_OBJECT

private slots:
    void missingFileReadsEmptyAndWriteCreatesIt()
    {
        QTemporaryDir dir;
        LocalSettings settings(dir.path());
        QCOMPARE(settings.filePath(), dir.filePath("conf.ini"));
        QCOMPARE(settings.read("Language"), QString());
        QVERIFY(!QFile::exists(settings.filePath()));

        QVERIFY(settings.write("Language", "en"));
        QVERIFY(QFile::exists(settings.filePath()));
        QCOMPARE(settings.read("Language"), QStringLiteral("en"));
        QCOMPARE(settings.read("Other"), QString());
    }

    void valuesLiveInTheInfoGroupAsUtf8()
    {
        QTemporaryDir dir;
        LocalSettings settings(dir.path() + "/");
        QVERIFY(settings.write("Theme", QStringLiteral("\u6df1\u8272")));
        QFile file(settings.filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(bytes.contains("[info]"), bytes.constData());
        QVERIFY2(bytes.contains(QStringLiteral("Theme=\u6df1\u8272").toUtf8()), bytes.constData());
    }

    // Read by a program started later (here: a copy of the file, which
    // nothing in this process has cached).
    void everyCharacterReadsBackInAnotherProcess()
    {
        QTemporaryDir dir;
        QTemporaryDir later;
        LocalSettings settings(dir.path());
        const QString emoji = QStringLiteral("a\U0001F600b");
        QVERIFY(settings.write("Theme", QStringLiteral("\u6df1\u8272")));
        QVERIFY(settings.write("f", emoji));
        QVERIFY(settings.write("Language", "de"));   // a later write keeps it
        QCOMPARE(settings.read("f"), emoji);
        QFile::remove(later.filePath("conf.ini"));
        QVERIFY(QFile::copy(settings.filePath(), later.filePath("conf.ini")));
        const LocalSettings copy(later.path());
        QCOMPARE(copy.read("f"), emoji);
        QCOMPARE(copy.read("Theme"), QStringLiteral("\u6df1\u8272"));
        QCOMPARE(copy.read("Language"), QStringLiteral("de"));
    }

    void nothingIsCachedBetweenAccesses()
    {
        QTemporaryDir dir;
        LocalSettings settings(dir.path());
        QVERIFY(settings.write("Language", "en"));
        // Another writer (a second LocalSettings, or a hand edit) is seen at once.
        QFile file(settings.filePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[info]\nLanguage=de\nKept=1\n");
        file.close();
        QCOMPARE(settings.read("Language"), QStringLiteral("de"));
        QVERIFY(LocalSettings(dir.path()).write("Language", "fr"));
        QCOMPARE(settings.read("Language"), QStringLiteral("fr"));
        QCOMPARE(settings.read("Kept"), QStringLiteral("1"));
    }

    void unwritableLocationReportsFailure()
    {
        QTemporaryDir dir;
        // The "folder" is a regular file: nothing can be created below it.
        QFile blocker(dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        LocalSettings settings(blocker.fileName());
        QVERIFY(!settings.write("Language", "en"));
        QCOMPARE(settings.read("Language"), QString());
        QVERIFY(!settings.write(QString(), "x"));
    }
};

QTEST_GUILESS_MAIN(TestLocalSettings)
#include "tst_local_settings.moc"
