// The update dialog: its place over the main window, its texts, one dialog
// at a time, and the hand-over to the updater when the upgrade is started.
#include <QFile>
#include <QJsonObject>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "dialog_update_prompt.h"
#include "update_dialog.h"

class UpdateDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void offersAreShownCentredOneAtATime()
    {
        QTemporaryDir folder;
        QWidget window;
        window.setGeometry(100, 80, 800, 600);
        window.show();
        int quits = 0;
        DialogUpdatePrompt prompt(&window, folder.path(), [&]() { ++quits; });
        prompt.offerUpdate(QJsonObject{{"description", "first"}}, "11");
        QPointer<updateDlg> first = prompt.dialog();
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->size(), QSize(375, 304));
        QVERIFY(first->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(first->frameGeometry().center(), window.mapToGlobal(window.rect().center()));
        QCOMPARE(first->description(), QString("first"));
        QCOMPARE(first->startButton()->text(), QString::fromUtf8("开始升级"));
        QCOMPARE(first->laterButton()->text(), QString::fromUtf8("下次提醒"));

        prompt.offerUpdate(QJsonObject{{"description", "second"}}, "11");
        QVERIFY(first.isNull());
        QCOMPARE(prompt.dialog()->description(), QString("second"));
        prompt.dialog()->laterButton()->click();
        QVERIFY(!prompt.dialog()->isVisible());
        QCOMPARE(quits, 0);
    }

    void startingTheUpgradeHandsOverAndQuits()
    {
        QTemporaryDir folder;
        const QString updater = folder.filePath("Updater");
        QFile script(updater);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s ' \"$@\" > \"$PWD/arguments\"\n");
        script.close();
        QVERIFY(QFile::setPermissions(updater, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        int quits = 0;
        updateDlg dialog(QJsonObject{{"package", "http://h/p.pkg"}, {"deployment", "d2"}}, "31", folder.path(),
                         [&]() { ++quits; });
        dialog.show();
        dialog.startButton()->click();
        QCOMPARE(quits, 1);
        QVERIFY(!dialog.isVisible());
        QFile arguments(folder.filePath("arguments"));
        QTRY_VERIFY_WITH_TIMEOUT(arguments.exists() && arguments.size() > 0, 5000);
        QVERIFY(arguments.open(QIODevice::ReadOnly));
        QCOMPARE(arguments.readAll(),
                 QByteArray("--update=VelkorCloudEngine --down=http://h/p.pkg --deployment=d2 --version=31 "));
    }
};

QTEST_MAIN(UpdateDialogTest)
#include "tst_update_dialog.moc"
