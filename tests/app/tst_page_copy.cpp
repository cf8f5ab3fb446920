// The local page copy: where it lies (debug or not), the page folder of the
// start page, and the unpacking of the page package.
#include "package_writer.h"
#include "page_copy.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPageCopy : public QObject
{
    Q_OBJECT

private slots:
    void foldersFollowTheProfile()
    {
        const QMap<QString, QString> profile{{"Debug", "false"},
                                             {"LoadPath", "http://pages.orvanta.test/local/tavik/main/index.html"}};
        const PageCopy copy(profile, "/opt/orvanta/", "/var/tmp");
        QVERIFY(!copy.debug());
        QCOMPARE(copy.templateFolder(), QString("/var/tmp/template"));
        QCOMPARE(copy.pageFolder(), QString("/var/tmp/template/tavik/main"));
        QCOMPARE(copy.packagePath(), QString("/opt/orvanta/skn.dat"));

        QMap<QString, QString> debug = profile;
        debug["Debug"] = "true";
        const PageCopy debugCopy(debug, "/opt/orvanta/", "/var/tmp");
        QCOMPARE(debugCopy.templateFolder(), QString("/opt/orvanta/template"));
        QCOMPARE(debugCopy.pageFolder(), QString("/opt/orvanta/template/tavik/main"));
    }

    void unpacksThePackageAndKeepsIt()
    {
        QTemporaryDir app;
        QTemporaryDir temp;
        const QMap<QString, QString> profile{{"LoadPath", "http://pages.orvanta.test/local/t/index.html"}};
        const PageCopy copy(profile, app.path() + "/", temp.path());
        QVERIFY(!copy.unpack()); // no package

        PackageFile page;
        page.name = "t/index.html";
        page.content = "<!doctype html><p>page</p>";
        QString error;
        QVERIFY2(writePackageFile(copy.packagePath(), "1.0", {page}, &error), qPrintable(error));
        QVERIFY(copy.unpack());
        QFile unpacked(copy.pageFolder() + "/index.html");
        QVERIFY(unpacked.open(QIODevice::ReadOnly));
        QCOMPARE(unpacked.readAll(), page.content);
        QVERIFY(QFile::exists(copy.packagePath()));

        // A damaged package unpacks nothing more and is reported.
        QFile damaged(copy.packagePath());
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a package");
        damaged.close();
        QVERIFY(!copy.unpack());
    }
};

QTEST_GUILESS_MAIN(TestPageCopy)
#include "tst_page_copy.moc"
