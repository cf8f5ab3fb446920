// The rule that keeps pages and downloads off the program's own files and
// off everything Qt would load from beside the program.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "program_files.h"

class ProgramFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void namesQtReadsBesideTheProgramAreTheProgramsOwn()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        for (const char* name : {"qt.conf", "pages/qt.conf", "platforms/libqxcb.so.txt", "platforms/readme",
                                    "imageformats/libqjpeg", "platformthemes/x", "plugins/platforms/y",
                                    "skn.dat", "conf.ini", "Updater", "Updater-new", "devices.json",
                                    "hidraw-access.json", "update-sequences.json",
                                    "lib/libfoo.so", "lib/libfoo.so.1"})
            QVERIFY2(isProgramFile(root, root + "/" + name), name);
        // Page files, and the same names deeper down where Qt never looks.
        for (const char* name : {"profile-258A1007.xml", "macros.xml", "pages/platforms/x.png",
                                    "tupdates/skin.dat", "template/rx318/index.html", "qt.conf.xml",
                                    "update/notes.txt", "pages/conf.ini"})
            QVERIFY2(!isProgramFile(root, root + "/" + name), name);
        // Outside the folder the folder's rules say nothing.
        QVERIFY(!isProgramFile(root + "/pages", root + "/qt-other.conf"));
        QVERIFY(isQtPluginFolderName("platforms") && !isQtPluginFolderName("image"));
    }

    void newContentIsJudgedNotOnlyTheNameAlreadyThere()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        const QString path = root + "/tools/start";  // nothing there yet
        QVERIFY(!isProgramFile(root, path));
        QVERIFY(refusesProgramWrite(root, path, QByteArray("\x7f" "ELF", 4)));
        QVERIFY(refusesProgramWrite(root, path, "#!/bin/sh"));
        QVERIFY(!refusesProgramWrite(root, path, "<xml"));
        QVERIFY(!refusesProgramWrite(root, path, QByteArray()));
        QVERIFY(refusesProgramWrite(root, root + "/qt.conf", "[Paths]"));

        // A file that is a program already counts by what it holds, and by
        // its execute bits.
        QDir().mkpath(root + "/tools");
        QFile elf(root + "/tools/elf");
        QVERIFY(elf.open(QIODevice::WriteOnly));
        elf.write("\x7f" "ELF....");
        elf.close();
        QVERIFY(isProgramFile(root, elf.fileName()));
        QFile script(root + "/tools/script");
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("echo");
        script.close();
        QVERIFY(!isProgramFile(root, script.fileName()));
        QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
        QVERIFY(isProgramFile(root, script.fileName()));
    }
};

QTEST_GUILESS_MAIN(ProgramFilesTest)
#include "tst_program_files.moc"
