// Where the browser keeps what pages store: in a folder only the user can
// reach, never in a shared one another user may have made first; and the
// other files the program writes for the user (the log, the pointer
// settings) are never written through a link placed where they go.
#include "browser_setup.h"
#include "browser_test_support.h"
#include "logging.h"
#include "pointer_settings_file.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>

#include <sys/stat.h>
#include <unistd.h>

class TestBrowserProfile : public QObject
{
    Q_OBJECT

private slots:
    void storageLivesInThePrivateFolder()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("private");
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QObject owner;
        QWebEngineProfile* profile = BrowserSetup::createProfile(&owner, folder);
        QVERIFY(!profile->isOffTheRecord());
        QCOMPARE(profile->persistentStoragePath(), folder + "/browser");
        QVERIFY(profile->cachePath().startsWith(folder + "/browser"));
        struct stat info;
        QVERIFY(::stat(QFile::encodeName(folder + "/browser").constData(), &info) == 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0700));
        QCOMPARE(info.st_uid, ::getuid());
    }

    void aFolderSomeoneElseMadeIsNeverUsed()
    {
        if (::geteuid() != 0)
            QSKIP("giving a folder to another user needs root");
        QTemporaryDir dir;
        const QString folder = dir.filePath("private");
        QVERIFY(QDir().mkpath(folder + "/browser"));
        QVERIFY(::chown(QFile::encodeName(folder + "/browser").constData(), 65534, 65534) == 0);
        QObject owner;
        QWebEngineProfile* profile = BrowserSetup::createProfile(&owner, folder);
        QVERIFY(profile->isOffTheRecord());
        // Nor does a link there lead anywhere.
        QTemporaryDir elsewhere;
        QVERIFY(QDir(folder + "/browser").removeRecursively());
        QVERIFY(QFile::link(elsewhere.path(), folder + "/browser"));
        QVERIFY(BrowserSetup::createProfile(&owner, folder)->isOffTheRecord());
        QVERIFY(BrowserSetup::createProfile(&owner, QString())->isOffTheRecord());
    }

    void theLogAndThePointerSettingsAreNotWrittenThroughLinks()
    {
        QTemporaryDir dir;
        QTemporaryDir victim;
        QFile target(victim.filePath("target"));
        QVERIFY(target.open(QIODevice::WriteOnly));
        target.write("keep me");
        target.close();

        QVERIFY(QFile::link(victim.filePath("target"), dir.filePath("app.log")));
        Logger::setFilePath(dir.filePath("app.log"));
        LOG_ERROR(QStringLiteral("Application Error: a line that must not reach the target"));
        Logger::setFilePath(QString());
        QVERIFY(target.open(QIODevice::ReadOnly));
        QCOMPARE(target.readAll(), QByteArray("keep me"));
        target.close();

        // A link to a file that reads as settings: the write is refused.
        QFile json(victim.filePath("settings.json"));
        QVERIFY(json.open(QIODevice::WriteOnly));
        json.write("{}");
        json.close();
        QVERIFY(QFile::link(victim.filePath("settings.json"), dir.filePath("pointer.json")));
        PointerSettingsFile settings(dir.filePath("pointer.json"));
        QVERIFY(!settings.writeValue(PointerSetting::DoubleClickTime, 500));
        QVERIFY(json.open(QIODevice::ReadOnly));
        QCOMPARE(json.readAll(), QByteArray("{}"));
        json.close();
        QVERIFY(QFileInfo(dir.filePath("pointer.json")).isSymLink());
        // A link to something else is set aside as a damaged file, and what
        // it points to is left as it was.
        QFile::remove(dir.filePath("pointer.json"));
        QVERIFY(QFile::link(victim.filePath("target"), dir.filePath("pointer.json")));
        settings.writeValue(PointerSetting::DoubleClickTime, 500);
        QVERIFY(target.open(QIODevice::ReadOnly));
        QCOMPARE(target.readAll(), QByteArray("keep me"));
        target.close();

        // Without the link both are written as usual.
        QFile::remove(dir.filePath("pointer.json"));
        QVERIFY(settings.writeValue(PointerSetting::DoubleClickTime, 500));
        QCOMPARE(settings.readValue(PointerSetting::DoubleClickTime), std::optional<int>(500));
    }
};

int main(int argc, char* argv[])
{
    BrowserTest::prepare();
    QApplication app(argc, argv);
    TestBrowserProfile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browser_profile.moc"
