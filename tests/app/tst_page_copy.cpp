// The local page copy: where it lies (the private folder, or the
// application folder when debugging, none without a private folder), the
// page folder of the start page, and the unpacking of the page package.
#include "package_writer.h"
#include "page_copy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPageCopy : public QObject
{
    Q_OBJECT

private slots:
    void foldersFollowTheProfile()
    {
        QTemporaryDir mine; // made for this user alone
        const QMap<QString, QString> profile{{"Debug", "false"},
                                             {"LoadPath", "http://pages.orvanta.test/local/tavik/main/index.html"}};
        const PageCopy copy(profile, "/opt/orvanta/", mine.path());
        QVERIFY(!copy.debug());
        QCOMPARE(copy.templateFolder(), mine.path() + "/template");
        QCOMPARE(copy.pageFolder(), mine.path() + "/template/tavik/main");
        QCOMPARE(copy.packagePath(), QString("/opt/orvanta/skn.dat"));

        QMap<QString, QString> debug = profile;
        debug["Debug"] = "true";
        const PageCopy debugCopy(debug, "/opt/orvanta/", mine.path());
        QCOMPARE(debugCopy.templateFolder(), QString("/opt/orvanta/template"));
        QCOMPARE(debugCopy.pageFolder(), QString("/opt/orvanta/template/tavik/main"));

        // A folder others may enter holds no copy.
        QVERIFY(QFile::setPermissions(mine.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                       | QFile::ReadOther | QFile::ExeOther));
        PageCopy shared(profile, "/opt/orvanta/", mine.path());
        QCOMPARE(shared.templateFolder(), QString());
        QCOMPARE(shared.pageFolder(), QString());
        QVERIFY(!shared.unpack());
    }

    void unpacksThePackageAndKeepsIt()
    {
        QTemporaryDir app;
        QTemporaryDir mine;
        const QMap<QString, QString> profile{{"LoadPath", "http://pages.orvanta.test/local/t/index.html"}};
        PageCopy copy(profile, app.path() + "/", mine.path());
        QVERIFY(!copy.unpack()); // no package
        QVERIFY(copy.why().contains("missing"));
        QVERIFY(!copy.holdsStartPage());

        PackageFile page;
        page.name = "t/index.html";
        page.content = "<!doctype html><p>page</p>";
        QString error;
        // Not signed: the package the program ships with is trusted as
        // installed, unlike anything from the network.
        QVERIFY2(writePackageFile(copy.packagePath(), "1.0", {page}, &error), qPrintable(error));
        QVERIFY(copy.unpack());
        QVERIFY(copy.holdsStartPage());
        QFile unpacked(copy.pageFolder() + "/index.html");
        QVERIFY(unpacked.open(QIODevice::ReadOnly));
        QCOMPARE(unpacked.readAll(), page.content);
        QVERIFY(QFile::exists(copy.packagePath()));

        // A damaged package leaves the copy as it was.
        QFile damaged(copy.packagePath());
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a package");
        damaged.close();
        QVERIFY(!copy.unpack());
        QVERIFY(copy.why().contains("could not be unpacked"));
        QVERIFY(QFile::exists(copy.pageFolder() + "/index.html"));
        QVERIFY(copy.holdsStartPage());
    }

    // Installed: the shipped pages, until the user downloads a page update
    // into the user's folder; an update that does not unpack leaves the
    // shipped pages in use.
    void anInstalledProgramPrefersTheUsersPageUpdate()
    {
        QTemporaryDir user;
        QTemporaryDir shipped;
        QTemporaryDir mine;
        const QMap<QString, QString> profile{{"LoadPath", "http://pages.orvanta.test/local/t/index.html"}};
        const auto pageIn = [](const QString& package, const QByteArray& content) {
            PackageFile page;
            page.name = "t/index.html";
            page.content = content;
            QString error;
            return writePackageFile(package, "1.0", {page}, &error);
        };
        const auto shown = [](const PageCopy& copy) {
            QFile file(copy.pageFolder() + "/index.html");
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QVERIFY(pageIn(shipped.filePath("skn.dat"), "shipped"));

        PageCopy first(profile, user.path() + "/", mine.path(), shipped.path() + "/");
        QCOMPARE(first.packagePath(), shipped.filePath("skn.dat"));
        QVERIFY(first.unpack());
        QCOMPARE(shown(first), QByteArray("shipped"));

        QVERIFY(pageIn(user.filePath("skn.dat"), "updated"));
        PageCopy updated(profile, user.path() + "/", mine.path(), shipped.path() + "/");
        QCOMPARE(updated.packagePath(), user.filePath("skn.dat"));
        QVERIFY(updated.unpack());
        QCOMPARE(shown(updated), QByteArray("updated"));

        QFile damaged(user.filePath("skn.dat"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a package");
        damaged.close();
        PageCopy broken(profile, user.path() + "/", mine.path(), shipped.path() + "/");
        QVERIFY(broken.unpack());
        QCOMPARE(shown(broken), QByteArray("shipped"));
        QCOMPARE(broken.packagePath(), shipped.filePath("skn.dat"));
    }
};

QTEST_GUILESS_MAIN(TestPageCopy)
#include "tst_page_copy.moc"
