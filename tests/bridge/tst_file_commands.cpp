#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "command_dispatcher.h"
#include "package_writer.h"
#include "recording_host.h"
#include "test_signing.h"

namespace {

// A package as the update server would serve it: signed with the test key.
bool writeSignedPackage(const QString& path, const QString& version, const QVector<PackageFile>& files)
{
    QByteArray package;
    if (!buildPackage(version, files, &package))
        return false;
    QFile file(path);
    package = TestSigning::signedPackage(package);
    return file.open(QIODevice::WriteOnly) && file.write(package) == package.size();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString request(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

const QByteArray kProfile = "<Configuration><Conf><Key Index=\"2\" Value=\"258A1007\"/></Conf>"
                            "<Mode Index=\"1\"><Key Index=\"61\" Name=\"Left\" Value=\"LeftClick\"/></Mode>"
                            "</Configuration>";

} // namespace

// The files pages read and edit through the file cache, package unpacking
// and starting programs, and the rule that a page-given path never leaves
// the application folder.
class FileCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(!TestSigning::trustTestKey().isEmpty()); }

    // Installed, the pages' files are the user's; a file the user has not
    // written yet is read from the shipped data, and a write lands in the
    // user's folder, never in the shipped data.
    void readsFallBackToTheShippedData()
    {
        RecordingHost host;
        QTemporaryDir shipped;
        host.installation.dataFolder = shipped.path() + QLatin1Char('/');
        CommandDispatcher dispatcher(host);
        QVERIFY(writeFile(shipped.filePath("macros.xml"), "<Macros><Macro Name=\"shipped\"/></Macros>"));
        QVERIFY(writeFile(shipped.filePath("secret.xml"), "<s/>"));
        const QString read = request({{"FuncName", "ReadFileToStr"}, {"FilePath", "macros.xml"}, {"Xpath", "//@Name"}});
        QCOMPARE(send(dispatcher, read).text, QString("shipped"));

        const Answer written = send(dispatcher, request({{"FuncName", "ModifyFileFromStr"}, {"FilePath", "macros.xml"},
                                                         {"ContentStr", "<Macros><Macro Name=\"mine\"/></Macros>"}}));
        QCOMPARE(written.kind, Answer::Success);
        QVERIFY(readAll(host.path("macros.xml")).contains("mine"));
        QVERIFY(readAll(shipped.filePath("macros.xml")).contains("shipped"));
        QCOMPARE(send(dispatcher, read).text, QString("mine"));

        // A name that leaves the user's folder is refused, whatever the
        // shipped data holds.
        const QString outside = QStringLiteral("../") + QFileInfo(shipped.path()).fileName() + "/secret.xml";
        QCOMPARE(send(dispatcher, request({{"FuncName", "ReadFileToStr"}, {"FilePath", outside}, {"Xpath", "/s"}})).kind,
                 Answer::Failure);
    }

    void readFileToStrSelectsAndCaches()
    {
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        QVERIFY(QDir().mkpath(host.path("profiles")));
        QVERIFY(writeFile(host.path("profiles/258A1007.xml"), kProfile));

        const QString read = request({{"FuncName", "ReadFileToStr"}, {"FilePath", "profiles/258A1007.xml"},
                                      {"Xpath", "/Configuration/Mode[@Index=1]"}});
        const Answer first = send(dispatcher, read);
        QCOMPARE(first.kind, Answer::Success);
        QCOMPARE(first.text, QString("<Mode Index=\"1\">\n\t<Key Index=\"61\" Name=\"Left\" Value=\"LeftClick\" />\n"
                                     "</Mode>\n"));
        // An attribute gives its value; several nodes follow each other.
        QCOMPARE(send(dispatcher, request({{"FuncName", "ReadFileToStr"}, {"FilePath", "profiles/258A1007.xml"},
                                           {"Xpath", "//Key/@Index"}}))
                     .text,
                 QString("261"));

        // Changed on disk: the cached text still answers.
        QVERIFY(writeFile(host.path("profiles/258A1007.xml"), "<Configuration/>"));
        QCOMPARE(send(dispatcher, read).text, first.text);

        // Not XML, missing, or an expression that does not compile.
        QVERIFY(writeFile(host.path("broken.xml"), "<a><b></a>"));
        for (const QJsonObject& bad : {
                 QJsonObject{{"FuncName", "ReadFileToStr"}, {"FilePath", "broken.xml"}, {"Xpath", "/a"}},
                 QJsonObject{{"FuncName", "ReadFileToStr"}, {"FilePath", "missing.xml"}, {"Xpath", "/a"}},
                 QJsonObject{{"FuncName", "ReadFileToStr"}, {"FilePath", "profiles/258A1007.xml"}, {"Xpath", "//Key[@"}},
                 QJsonObject{{"FuncName", "ReadFileToStr"}, {"FilePath", "profiles/258A1007.xml"}, {"Xpath", "count(//Key)"}},
                 QJsonObject{{"FuncName", "ReadFileToStr"}, {"FilePath", "profiles/258A1007.xml"}},
             }) {
            const Answer answer = send(dispatcher, request(bad));
            QCOMPARE(answer.kind, Answer::Failure);
            QCOMPARE(answer.code, 0);
            QCOMPARE(answer.text, QString("queryProfile load xml file failed!"));
        }
        QVERIFY(!host.cache.contains(host.path("missing.xml")));
    }

    void confXmlIsTheCompiledProfile()
    {
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        QVERIFY(QDir().mkpath(host.path("any/folder")));
        QVERIFY(writeFile(host.path("any/folder/conf.xml"), "<root name=\"OnDisk\"/>"));
        for (const char* path : {"conf.xml", "any/folder/conf.xml", "../../elsewhere/conf.xml"}) {
            const Answer answer =
                send(dispatcher, request({{"FuncName", "ReadFileToStr"}, {"FilePath", path}, {"Xpath", "/root/@name"}}));
            QCOMPARE(answer.text, QString("RX318 Pro"));
        }
    }

    void modifiedFilesReadBackAndReachTheDisk()
    {
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        QVERIFY(writeFile(host.path("p.xml"), kProfile));
        const QString read = request({{"FuncName", "ReadFileToStr"}, {"FilePath", "p.xml"}, {"Xpath", "//Key[@Index=61]/@Value"}});
        QCOMPARE(send(dispatcher, read).text, QString("LeftClick"));

        QByteArray changed = kProfile;
        changed.replace("LeftClick", "RightClick");
        const Answer modified = send(dispatcher, request({{"FuncName", "ModifyFileFromStr"}, {"FilePath", "p.xml"},
                                                          {"ContentStr", QString::fromUtf8(changed)}}));
        QCOMPARE(modified.text, QString("ModifyFileFromStr success"));
        QCOMPARE(send(dispatcher, read).text, QString("RightClick"));
        const QByteArray onDisk = readAll(host.path("p.xml"));
        QVERIFY(onDisk.startsWith("<?xml version=\"1.0\"?>\n<Configuration>\n\t<Conf>"));
        QVERIFY(onDisk.contains("RightClick"));
        QVERIFY(!host.cache.hasPending());

        // Content that is not XML leaves the file and the cache as they are.
        const QByteArray before = readAll(host.path("p.xml"));
        QCOMPARE(send(dispatcher, request({{"FuncName", "ModifyFileFromStr"}, {"FilePath", "p.xml"},
                                           {"ContentStr", "<Configuration><Conf>"}}))
                     .text,
                 QString("ModifyFileFromStr failed"));
        QCOMPARE(readAll(host.path("p.xml")), before);
        QCOMPARE(send(dispatcher, read).text, QString("RightClick"));

        // A new file is created.
        QCOMPARE(send(dispatcher, request({{"FuncName", "ModifyFileFromStr"}, {"FilePath", "new.xml"},
                                           {"ContentStr", "<a/>"}}))
                     .kind,
                 Answer::Success);
        QCOMPARE(readAll(host.path("new.xml")), QByteArray("<?xml version=\"1.0\"?>\n<a />\n"));
    }

    void savexmlRetriesWhatCouldNotBeWritten()
    {
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        QCOMPARE(send(dispatcher, R"({"FuncName":"savexml"})").kind, Answer::None);
        const auto modify = [&](const QString& path, const QString& content) {
            return send(dispatcher, request({{"FuncName", "ModifyFileFromStr"}, {"FilePath", path}, {"ContentStr", content}}));
        };

        // What cannot be a file fails at once and is never pending: the
        // folder itself (FilePath missing), a folder, a file below a file.
        QVERIFY(writeFile(host.path("blocked"), "x"));
        QVERIFY(QDir().mkpath(host.path("folder")));
        QCOMPARE(send(dispatcher, R"({"FuncName":"ModifyFileFromStr","ContentStr":"<a/>"})").text,
                 QString("ModifyFileFromStr failed"));
        for (const char* path : {"", "folder", "folder/", "blocked/p.xml"}) {
            const Answer refused = modify(path, "<b/>");
            QCOMPARE(refused.kind, Answer::Failure);
            QCOMPARE(refused.text, QString("ModifyFileFromStr failed"));
        }
        QVERIFY(!host.cache.hasPending());
        // Missing folders are made.
        QCOMPARE(modify("nosuch/x.xml", "<n/>").text, QString("ModifyFileFromStr success"));
        QVERIFY(readAll(host.path("nosuch/x.xml")).contains("<n />"));

        // A file that cannot be written later stays pending without holding
        // up the files after it.
        QVERIFY(writeFile(host.path("ok.xml"), "<a/>"));
        QCOMPARE(modify("d/p.xml", "<a/>").kind, Answer::Success);
        host.cache.store(host.path("d/p.xml"), "<b />");   // an edit not yet written out
        QVERIFY(QDir().rename(host.path("d"), host.path("d.away")));
        QVERIFY(writeFile(host.path("d"), "now a file"));
        QCOMPARE(modify("d/p.xml", "<c/>").kind, Answer::Failure);   // refused at once
        QCOMPARE(modify("ok.xml", "<c/>").kind, Answer::Success);
        QVERIFY(readAll(host.path("ok.xml")).contains("<c />"));
        QCOMPARE(host.cache.pending(), QStringList({host.path("d/p.xml")}));
        QCOMPARE(send(dispatcher, R"({"FuncName":"savexml"})").kind, Answer::None);
        QCOMPARE(modify("ok.xml", "<e/>").kind, Answer::Success);
        QVERIFY(readAll(host.path("ok.xml")).contains("<e />"));

        QVERIFY(QFile::remove(host.path("d")));
        QVERIFY(QDir().rename(host.path("d.away"), host.path("d")));
        QCOMPARE(send(dispatcher, R"({"FuncName":"savexml"})").text, QString("save xml success"));
        QVERIFY(!host.cache.hasPending());
        QVERIFY(readAll(host.path("d/p.xml")).contains("<b />"));
    }

    void pathsOutsideTheFolderAreRefused()
    {
        QTemporaryDir outside;
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        const QString secret = outside.filePath("secret.xml");
        QVERIFY(writeFile(secret, "<secret/>"));
        QVERIFY(QFile::link(outside.path(), host.path("link")));
        // Links as the name itself: to a file outside, and dangling.
        QVERIFY(QFile::link(secret, host.path("linked.xml")));
        QVERIFY(QFile::link(outside.filePath("dang.xml"), host.path("dang.xml")));
        const QString up = QDir(host.applicationFolder).relativeFilePath(secret);
        QVERIFY(up.startsWith("../"));

        for (const QString& path : {up, QString("link/secret.xml"), "sub/../../" + up, QString("link/new.xml"),
                                    QString("linked.xml"), QString("dang.xml"), QString("link/sub/new.xml")}) {
            const Answer modify = send(dispatcher, request({{"FuncName", "ModifyFileFromStr"}, {"FilePath", path},
                                                           {"ContentStr", "<owned/>"}}));
            QCOMPARE(modify.kind, Answer::Failure);
            QCOMPARE(modify.text, QString("ModifyFileFromStr failed"));
            const Answer read = send(dispatcher, request({{"FuncName", "ReadFileToStr"}, {"FilePath", path}, {"Xpath", "/*"}}));
            QCOMPARE(read.text, QString("queryProfile load xml file failed!"));
        }
        // An absolute path is taken below the folder, like any other.
        QCOMPARE(send(dispatcher, request({{"FuncName", "ModifyFileFromStr"}, {"FilePath", "/inside.xml"},
                                           {"ContentStr", "<a/>"}}))
                     .kind,
                 Answer::Success);
        QVERIFY(QFile::exists(host.path("inside.xml")));
        QCOMPARE(readAll(secret), QByteArray("<secret/>"));
        QCOMPARE(QDir(outside.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList({"secret.xml"}));
        QCOMPARE(host.cache.entries().keys(), QStringList({host.path("inside.xml")}));
    }

    void openExeStartsOnlyProgramsInsideTheFolder()
    {
        QTemporaryDir outside;
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        const QString marker = outside.filePath("ran");
        const QByteArray script = "#!/bin/sh\necho \"$1\" > '" + QFile::encodeName(marker) + "'\nsleep 1\n";
        for (const QString& path : {host.path("tool.sh"), outside.filePath("evil.sh")}) {
            QVERIFY(writeFile(path, script));
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }

        const QString up = "/" + QDir(host.applicationFolder).relativeFilePath(outside.filePath("evil.sh"));
        const Answer refused = send(dispatcher, request({{"FuncName", "OpenEXE"}, {"EXEPath", up}}));
        QCOMPARE(refused.kind, Answer::Failure);
        QCOMPARE(refused.text, QString("OpenEXE Faile"));
        QTest::qWait(200);
        QVERIFY(!QFile::exists(marker));

        // What cannot be started, there or not, is a process that failed to
        // start.
        const Answer missing = send(dispatcher, request({{"FuncName", "OpenEXE"}, {"EXEPath", "/nothing.sh"}}));
        QCOMPARE(missing.text, QString("OpenEXE Faile,File not find"));
        QVERIFY(writeFile(host.path("plain.txt"), "not a program"));
        const Answer notAProgram = send(dispatcher, request({{"FuncName", "OpenEXE"}, {"EXEPath", "/plain.txt"}}));
        QCOMPARE(notAProgram.text, QString("OpenEXE Faile,File not find"));

        const Answer started = send(dispatcher, request({{"FuncName", "OpenEXE"}, {"EXEPath", "/tool.sh"}}));
        QCOMPARE(started.kind, Answer::Success);
        QCOMPARE(started.text, QString("OpenEXE success,Exe Runing"));
        // The program gets the caller's own path as its one argument.
        QTRY_VERIFY(QFile::exists(marker) && !readAll(marker).isEmpty());
        QCOMPARE(readAll(marker).trimmed(), QFile::encodeName(QCoreApplication::applicationFilePath()));
    }

    void unPackFile()
    {
        QTemporaryDir outside;
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        const QVector<PackageFile> files = {{"skin/index.html", "<html/>"}, {"skin/js/app.js", "go()"}};
        QVERIFY(QDir().mkpath(host.path("tupdates")));
        QVERIFY(writeSignedPackage(host.path("tupdates/skin.dat"), "1.0", files));

        const Answer done = send(dispatcher, request({{"FuncName", "UnPackFile"}, {"FileName", "tupdates/skin.dat"},
                                                      {"UnPath", "pages"}}));
        QCOMPARE(done.text, QString("success!"));
        QCOMPARE(readAll(host.path("pages/skin/js/app.js")), QByteArray("go()"));
        QVERIFY(!QFile::exists(host.path("tupdates/skin.dat")));   // used once

        // A target outside the folder: nothing written there, the package
        // stays unread, and tupdates goes.
        QVERIFY(QDir().mkpath(host.path("tupdates")));
        QVERIFY(writeSignedPackage(host.path("tupdates/skin.dat"), "1.0", files));
        const QString up = QDir(host.applicationFolder).relativeFilePath(outside.filePath("target"));
        const Answer refused = send(dispatcher, request({{"FuncName", "UnPackFile"}, {"FileName", "tupdates/skin.dat"},
                                                         {"UnPath", up}}));
        QCOMPARE(refused.kind, Answer::Failure);
        QCOMPARE(refused.text, QString("failed!"));
        QVERIFY(!QFile::exists(outside.filePath("target")));
        QVERIFY(!QFile::exists(host.path("tupdates")));

        // A package outside the folder is neither read nor deleted.
        QVERIFY(writeSignedPackage(outside.filePath("skin.dat"), "1.0", files));
        QCOMPARE(send(dispatcher, request({{"FuncName", "UnPackFile"}, {"FileName", outside.filePath("skin.dat")},
                                           {"UnPath", "pages2"}}))
                     .text,
                 QString("failed!"));
        QVERIFY(QFile::exists(outside.filePath("skin.dat")));
        QVERIFY(!QFile::exists(host.path("pages2")));

        // A package that is not one: failure, and tupdates is removed.
        QVERIFY(QDir().mkpath(host.path("tupdates/partial")));
        QVERIFY(writeFile(host.path("tupdates/bad.dat"), QByteArray(200, 'x')));
        QCOMPARE(send(dispatcher, request({{"FuncName", "UnPackFile"}, {"FileName", "tupdates/bad.dat"},
                                           {"UnPath", "pages"}}))
                     .text,
                 QString("failed!"));
        QVERIFY(!QFile::exists(host.path("tupdates")));
    }

    void theProgramsOwnFilesAreNeitherDeletedNorOverwritten()
    {
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        // Big enough to be read as a package.
        const QByteArray body = "\x7f" "ELF" + QByteArray(300, 'b');
        QVERIFY(writeFile(host.path("orvanta-cli"), body));
        QVERIFY(QFile::setPermissions(host.path("orvanta-cli"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(writeFile(host.path("elf-without-x-bit"), body));
        QVERIFY(QDir().mkpath(host.path("lib")));
        QVERIFY(QFile::link(host.path("orvanta-cli"), host.path("lib/link-to-cli")));
        const QStringList own = {"orvanta-cli", "elf-without-x-bit", "lib/link-to-cli", "lib/libQt5Core.so.5",
                                 "libUsbInterface.so", "skn.dat", "devices.json", "conf.ini", "Updater", "Updater-new"};
        for (const QString& name : own) {
            if (!QFile::exists(host.path(name)))
                QVERIFY(writeFile(host.path(name), QByteArray(300, 'o')));
        }
        QMap<QString, QByteArray> before;
        for (const QString& name : own)
            before.insert(name, readAll(host.path(name)));

        for (const QString& name : own) {
            QVERIFY(QDir().mkpath(host.path("tupdates")));
            const Answer unpack = send(dispatcher, request({{"FuncName", "UnPackFile"}, {"FileName", name},
                                                            {"UnPath", "pages"}}));
            QCOMPARE(unpack.kind, Answer::Failure);
            QCOMPARE(unpack.text, QString("failed!"));
            const Answer modify = send(dispatcher, request({{"FuncName", "ModifyFileFromStr"}, {"FilePath", name},
                                                            {"ContentStr", "<owned/>"}}));
            QCOMPARE(modify.text, QString("ModifyFileFromStr failed"));
        }
        send(dispatcher, R"({"FuncName":"savexml"})");
        for (const QString& name : own)
            QVERIFY2(readAll(host.path(name)) == before.value(name), qPrintable(name));
        QVERIFY(QFileInfo(host.path("lib/link-to-cli")).isSymLink());

        // Nor does a package write over them.
        QVERIFY(writeSignedPackage(host.path("update.dat"), "1.0", {{"new.txt", "n"}, {"Updater", "evil"}}));
        QCOMPARE(send(dispatcher, request({{"FuncName", "UnPackFile"}, {"FileName", "update.dat"}, {"UnPath", ""}}))
                     .text,
                 QString("failed!"));
        QCOMPARE(readAll(host.path("Updater")), before.value("Updater"));
        QVERIFY(!QFile::exists(host.path("new.txt")));

        // Page files are still the pages' to change.
        QVERIFY(writeFile(host.path("pages.xml"), "<a/>"));
        QCOMPARE(send(dispatcher, request({{"FuncName", "ModifyFileFromStr"}, {"FilePath", "pages.xml"},
                                           {"ContentStr", "<b/>"}}))
                     .kind,
                 Answer::Success);
    }

    void nothingWrittenMakesQtLoadForeignCode()
    {
        // A package that would make the next start load a plugin of its
        // own: qt.conf pointing Qt's plugins at a folder of the package, and
        // the plugin itself (an ELF with no ".so" in its name). Each part on
        // its own is refused too, and so is a program in disguise.
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        const QByteArray qtConf = "[Paths]\nPlugins=plug\n";
        const QByteArray plugin = "\x7f" "ELF" + QByteArray(200, '\x01');
        const QList<QVector<PackageFile>> packages = {
            {{"qt.conf", qtConf}, {"plug/platforms/qoffscreen-plugin", plugin}},
            {{"qt.conf", qtConf}},
            {{"pages/sub/qt.conf", qtConf}},
            {{"plug/platforms/qoffscreen-plugin", plugin}},
            {{"platforms/libqxcb.so.txt", "not even a program"}},
            {{"imageformats/readme", "text"}},
            {{"tools/run", "#!/bin/sh\nrm -rf ~\n"}},
        };
        for (const auto& files : packages) {
            QVERIFY(QDir().mkpath(host.path("tupdates")));
            QVERIFY(writeSignedPackage(host.path("tupdates/p.dat"), "1.0", files));
            const Answer unpack = send(dispatcher, request({{"FuncName", "UnPackFile"}, {"FileName", "tupdates/p.dat"},
                                                            {"UnPath", ""}}));
            QCOMPARE(unpack.text, QString("failed!"));
        }
        for (const char* name : {"qt.conf", "plug", "pages", "platforms", "imageformats", "tools"})
            QVERIFY2(!QFileInfo::exists(host.path(name)), qPrintable(name));

        // INI lines inside an XML element would be read by Qt's settings
        // reader: no page writes a qt.conf, here or in any folder.
        for (const QString& name : {QString("qt.conf"), QString("pages/qt.conf"), QString("platforms/x.xml")}) {
            const Answer modify = send(dispatcher, request({{"FuncName", "ModifyFileFromStr"}, {"FilePath", name},
                                                            {"ContentStr", "<a>\n[Paths]\nPlugins=plug\n</a>"}}));
            QCOMPARE(modify.text, QString("ModifyFileFromStr failed"));
        }
        send(dispatcher, R"({"FuncName":"savexml"})");
        QVERIFY(!QFileInfo::exists(host.path("qt.conf")));
        QVERIFY(!QFileInfo::exists(host.path("pages/qt.conf")));

        // What pages may unpack still unpacks.
        QVERIFY(QDir().mkpath(host.path("tupdates")));
        QVERIFY(writeSignedPackage(host.path("tupdates/p.dat"), "1.0",
                                 {{"pages/index.html", "<p>"}, {"pages/image/a.png", "\x89PNG"}}));
        QCOMPARE(send(dispatcher, request({{"FuncName", "UnPackFile"}, {"FileName", "tupdates/p.dat"}, {"UnPath", ""}}))
                     .text,
                 QString("success!"));
        QCOMPARE(readAll(host.path("pages/index.html")), QByteArray("<p>"));
    }

    void failedUnpackNeverDeletesThroughALink()
    {
        QTemporaryDir outside;
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        QVERIFY(writeFile(outside.filePath("keep.txt"), "keep"));
        QVERIFY(QDir().mkpath(outside.filePath("sub")));
        QVERIFY(writeFile(outside.filePath("sub/keep2.txt"), "keep"));
        QVERIFY(QFile::link(outside.path(), host.path("tupdates")));
        const Answer failed = send(dispatcher, request({{"FuncName", "UnPackFile"}, {"FileName", "missing.dat"},
                                                        {"UnPath", "pages"}}));
        QCOMPARE(failed.text, QString("failed!"));
        QCOMPARE(readAll(outside.filePath("keep.txt")), QByteArray("keep"));
        QCOMPARE(readAll(outside.filePath("sub/keep2.txt")), QByteArray("keep"));
        QVERIFY(QFileInfo(host.path("tupdates")).isSymLink());

        // A real tupdates goes with what is in it, its links removed as
        // links.
        QVERIFY(QFile::remove(host.path("tupdates")));
        QVERIFY(QDir().mkpath(host.path("tupdates/deep/er")));
        QVERIFY(QFile::link(outside.path(), host.path("tupdates/deep/out")));
        QVERIFY(writeFile(host.path("tupdates/deep/er/x"), "x"));
        send(dispatcher, request({{"FuncName", "UnPackFile"}, {"FileName", "missing.dat"}, {"UnPath", "pages"}}));
        QVERIFY(!QFileInfo::exists(host.path("tupdates")));
        QCOMPARE(readAll(outside.filePath("keep.txt")), QByteArray("keep"));
    }
};

QTEST_GUILESS_MAIN(FileCommandsTest)
#include "tst_file_commands.moc"
