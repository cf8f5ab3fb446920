#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTimer>
#include <QTemporaryDir>
#include <QtTest>

#include "command_context.h"
#include "command_dispatcher.h"
#include "recording_host.h"
#include "window_commands.h"

// The request path (window shortcuts, JSON decoding, "FuncName", exact
// names, dropped requests), the member rules and the window and settings
// commands, against a recording host.
class CommandDispatcherTest : public QObject
{
    Q_OBJECT

private slots:
    void maxsizeWindowAnywhereMaximisesAndRunsNothingElse()
    {
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        // Inside a member of another command: the command does not run.
        const Answer a = send(dispatcher, R"({"FuncName":"GetLocalConf","Name":"xmaxsizeWindowx"})");
        QCOMPARE(a.kind, Answer::None);
        // Not even JSON: still a window command.
        QCOMPARE(send(dispatcher, "maxsizeWindow please").kind, Answer::None);
        QCOMPARE(send(dispatcher, R"({"FuncName":"restoreWindow"})").kind, Answer::None);
        QCOMPARE(host.calls, QStringList({"maximize", "maximize", "restore"}));
        // The substring test is case-sensitive.
        QCOMPARE(send(dispatcher, R"({"FuncName":"GetLocalConf","Name":"MaxsizeWindow"})").kind, Answer::Success);

        RecordingHost headless(false);
        CommandDispatcher noWindow(headless);
        const Answer b = send(noWindow, R"({"FuncName":"maxsizeWindow"})");
        QCOMPARE(b.kind, Answer::Failure);
        QCOMPARE(b.text, noWindowText());
        QVERIFY(headless.calls.isEmpty());
    }

    void droppedRequestsGetNoReply_data()
    {
        QTest::addColumn<QString>("request");
        QTest::newRow("not JSON") << "GetLocalConf";
        QTest::newRow("array") << R"([{"FuncName":"GetLocalConf"}])";
        QTest::newRow("number") << "5";
        QTest::newRow("empty") << "";
        QTest::newRow("lower-case funcname") << R"({"funcname":"GetLocalConf"})";
        QTest::newRow("upper-case FUNCNAME") << R"({"FUNCNAME":"GetLocalConf"})";
        QTest::newRow("unknown command") << R"({"FuncName":"NoSuchCommand"})";
        QTest::newRow("command in other case") << R"({"FuncName":"getlocalconf"})";
        QTest::newRow("trailing blank in name") << R"({"FuncName":"GetLocalConf "})";
        QTest::newRow("required url missing") << R"({"FuncName":"OpenUrl"})";
        QTest::newRow("required Url missing") << R"({"FuncName":"OpenView","width":1,"height":1})";
        QTest::newRow("LoginMain with an empty member") << R"({"FuncName":"LoginMain","Url":"a","width":"","height":"2"})";
        QTest::newRow("SendMsgToMainBrowser without msg") << R"({"FuncName":"SendMsgToMainBrowser","url":"v"})";
    }
    void droppedRequestsGetNoReply()
    {
        QFETCH(QString, request);
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        const Answer answer = send(dispatcher, request);
        QCOMPARE(answer.kind, Answer::None);
        QVERIFY2(host.calls.isEmpty(), qPrintable(host.calls.join(';')));
    }

    void namesAreComparedExactlyInTableOrder()
    {
        RecordingHost host;
        CommandTable table;
        QStringList ran;
        table.add(25, "modifyMouseAccel", [&](CommandContext&) { ran << "25"; });
        table.add(23, "modifyMouseAcce", [&](CommandContext& c) { ran << "23"; c.succeed(c.text("Num")); });
        table.add(23, "modifyMouseAcce", [&](CommandContext&) { ran << "23 again"; });
        CommandDispatcher dispatcher(host, table);
        QCOMPARE(dispatcher.table().names(), QStringList({"modifyMouseAcce", "modifyMouseAcce", "modifyMouseAccel"}));

        const Answer accel = send(dispatcher, R"({"FuncName":"modifyMouseAccel"})");
        QCOMPARE(accel.kind, Answer::None);
        const Answer acce = send(dispatcher, R"({"FuncName":"modifyMouseAcce","Num":3})");
        QCOMPARE(acce.text, QString("3"));
        QCOMPARE(ran, QStringList({"25", "23"}));
    }

    void theDefaultTableFollowsTheComparisonOrder()
    {
        const QStringList documented = {
            "GetLocalConf", "TrayFun", "ShowMsgBox", "GetVirtualDevice", "UpdateFirmware", "ExecuteUpdate--",
            "WriteRGBDevice", "LoginMain", "ReadConf",
            "WriteConf", "OpenEXE", "GetDevicesList", "RestDevice", "ReadDevicesDpiVal", "WriteDevice", "loadurl", "ReadFileToStr",
            "ModifyFileFromStr", "mouseTracks", "goback", "goforward", "savexml", "modifyMouseAcce",
            "ModifyWindowAcceleratedSpeed", "modifyMouseAccel", "ModifyMouseScrollLines", "modifyMouseScrollLinesX",
            "modifyMouseDoubleClick", "GetWindowsMouseConfig", "GetWindowsKeyboreadConfig", "CloseX", "CloseApp",
            "saveFileDialog", "OpenFileDialog", "OpenUrl", "DownloadFile", "OpenView", "CloseView", "SendMsgToMainBrowser",
            "openFileDialogEx", "SetIME", "SaveCommand", "LoadCommand", "GetDefaultLanguage", "OnlineMusic",
            "AlertMusic", "MediaPlay", "RGBMusicPlay", "MediaStop", "RefreshVirtualDrive",
            "UnPackFile",
            // The program's own, after the contract's.
            "GetPointerSupport", "GetTrayState", "GetDeviceAccess", "GetDeviceFamilies", "ReadDevicesDpiStages", "GetSessionStart",
            "SetSessionStart", "GetInstallation", "GetCrashReports", "ReadCrashReport", "SaveCrashReport",
            "SetDeviceAccessLevel", "GetUpdateTrust", "GetPresets", "SavePresets", "SetActivePreset",
            "GetFocusWindows", "PausePresets"};
        QCOMPARE(defaultCommandTable().names(), documented);
    }

    void aCommandMayAnswerLater()
    {
        RecordingHost host;
        CommandTable table;
        table.add(36, "Later", [](CommandContext& c) {
            QueryCallbackPtr kept = c.callback();
            QTimer::singleShot(20, [kept] { kept->success("late"); });
        });
        CommandDispatcher dispatcher(host, table);
        Answer answer;
        dispatcher.onJsMessage(R"({"FuncName":"Later"})", recordInto(answer));
        QCOMPARE(answer.kind, Answer::None);
        QTRY_COMPARE(answer.kind, Answer::Success);
        QCOMPARE(answer.text, QString("late"));
        QCOMPARE(answer.count, 1);
    }

    void membersReadAsTextsAndNumbers()
    {
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        // A JSON number for a text member arrives as its decimal text.
        QCOMPARE(send(dispatcher, R"({"FuncName":"WriteConf","KeyName":"Count","WriteData":5})").text,
                 QString("Write Success"));
        QCOMPARE(send(dispatcher, R"({"FuncName":"ReadConf","KeyName":"Count"})").text, QString("5"));
        // And a decimal text for a number.
        send(dispatcher, R"({"FuncName":"OpenView","Url":"pop.html","width":"300","height":200})");
        QCOMPARE(host.calls.last(), QString("openView pop.html 300 200"));
        // A number past the int range is no number, as is unreadable text;
        // it is never wrapped into another value.
        send(dispatcher, R"({"FuncName":"OpenView","Url":"pop.html","width":4294967298,"height":-4294967295})");
        QCOMPARE(host.calls.last(), QString("openView pop.html 0 0"));
        send(dispatcher, R"({"FuncName":"OpenView","Url":"pop.html","width":"4294967298","height":"x"})");
        QCOMPARE(host.calls.last(), QString("openView pop.html 0 0"));
        // A member that is absent reads as "" (and here: an empty reply).
        const Answer noName = send(dispatcher, R"({"FuncName":"GetLocalConf"})");
        QCOMPARE(noName.kind, Answer::Success);
        QCOMPARE(noName.text, QString());
        QVERIFY(send(dispatcher, R"({"FuncName":"GetLocalConf","Name":"M1.0"})").text.contains("<"));
    }

    void localSettings()
    {
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        const Answer missing = send(dispatcher, R"({"FuncName":"ReadConf","KeyName":"Language"})");
        QCOMPARE(missing.kind, Answer::Failure);
        QCOMPARE(missing.code, 0);
        QCOMPARE(missing.text, QString("File Or KeyName does not exist"));
        QCOMPARE(send(dispatcher, R"({"FuncName":"WriteConf","KeyName":"Language","WriteData":"de"})").text,
                 QString("Write Success"));
        QVERIFY(QFile::exists(host.path("conf.ini")));
        QCOMPARE(send(dispatcher, R"({"FuncName":"ReadConf","KeyName":"Language"})").text, QString("de"));
    }

    void windowCommandsWithAndWithoutAWindow()
    {
        RecordingHost host;
        CommandDispatcher dispatcher(host);
        QCOMPARE(send(dispatcher, R"({"FuncName":"goback"})").text, QString("goback"));
        QCOMPARE(send(dispatcher, R"({"FuncName":"goforward"})").text, QString("goforward"));
        QCOMPARE(send(dispatcher, R"({"FuncName":"ShowMsgBox","Message":"Saved"})").kind, Answer::Success);
        QCOMPARE(send(dispatcher, R"({"FuncName":"LoginMain","Url":"main.html","width":"800","height":"600"})").kind,
                 Answer::None);
        QCOMPARE(send(dispatcher, R"({"FuncName":"loadurl","url":"skin/index.html"})").kind, Answer::None);
        // A query and a fragment stay a query and a fragment.
        send(dispatcher, "{\"FuncName\":\"loadurl\",\"url\":\"lp.html?x=1&y=a%20b#top\"}");
        QCOMPARE(send(dispatcher, R"({"FuncName":"SendMsgToMainBrowser","url":"set","msg":"hi"})").text,
                 QString("SendMsgToMainBrowser success"));
        QCOMPARE(send(dispatcher, R"({"FuncName":"CloseView"})").kind, Answer::None);
        QCOMPARE(host.calls, QStringList({"goBack", "goForward", "tray Info Saved", "loginMain main.html 800 600",
                                          "loadUrl " + QUrl::fromLocalFile(host.path("skin/index.html")).toString(),
                                          "loadUrl " + QUrl::fromLocalFile(host.path("lp.html")).toString()
                                              + "?x=1&y=a%20b#top",
                                          "event onBrowserMsg hi set", "closeView"}));

        RecordingHost headless(false);
        CommandDispatcher noWindow(headless);
        for (const char* request : {R"({"FuncName":"goback"})", R"({"FuncName":"CloseView"})",
                                    R"({"FuncName":"OpenFileDialog"})", R"({"FuncName":"CloseApp"})"}) {
            const Answer a = send(noWindow, request);
            QCOMPARE(a.kind, Answer::Failure);
            QCOMPARE(a.code, 0);
            QCOMPARE(a.text, noWindowText());
        }
        QVERIFY(headless.calls.isEmpty());
    }

    void closeXFollowsTheProfile()
    {
        using Profile = QMap<QString, QString>;
        const Profile exact{{"CloseFunc", "Closeapp"}};
        const Profile lower{{"CloseFunc", "closeapp"}};
        const Profile empty{{"CloseFunc", ""}};
        const Profile without{{"Name", "x"}};
        QCOMPARE(closeActionOf(exact), CloseAction::CloseApplication);
        QCOMPARE(closeActionOf(lower), CloseAction::HideToTray);
        QCOMPARE(closeActionOf(empty), CloseAction::HideToTray);
        QCOMPARE(closeActionOf(without), CloseAction::Nothing);

        RecordingHost host;
        CommandDispatcher dispatcher(host);
        host.settings.profile = QMap<QString, QString>{{"CloseFunc", "closeapp"}};
        QCOMPARE(send(dispatcher, R"({"FuncName":"CloseX"})").text, QString("modify conf sucess"));
        host.settings.profile = QMap<QString, QString>{{"CloseFunc", "Closeapp"}};
        send(dispatcher, R"({"FuncName":"CloseX"})");
        host.settings.profile = QMap<QString, QString>();
        QCOMPARE(send(dispatcher, R"({"FuncName":"CloseX"})").text, QString("modify conf sucess"));
        QCOMPARE(send(dispatcher, R"({"FuncName":"CloseApp"})").text, QString("modify conf sucess"));
        QCOMPARE(host.calls, QStringList({"hideToTray", "closeApplication", "closeApplication"}));
    }

    void trayFunAndSystemCommands()
    {
        RecordingHost host(false);
        CommandDispatcher dispatcher(host);
        host.settings.trayMode = "EnableTray";
        QCOMPARE(send(dispatcher, R"({"FuncName":"TrayFun","TrayFunName":"DisableTray"})").kind, Answer::Success);
        QCOMPARE(host.settings.trayMode, QString("DisableTray"));
        send(dispatcher, R"({"FuncName":"TrayFun","TrayFunName":"Tray"})");
        QCOMPARE(host.settings.trayMode, QString("DisableTray"));
        QCOMPARE(send(dispatcher, R"({"FuncName":"SetIME"})").text, QString("SetIME success!"));
        QCOMPARE(send(dispatcher, "{\"FuncName\":\"OpenUrl\",\"url\":\"https://example.org/\"}").text,
                 QString("open successed"));
        QCOMPARE(host.calls, QStringList({"openUrl https://example.org/"}));

        // Only absolute http, https and mailto addresses reach the opener,
        // encoded, so that none can pass for an option of it.
        for (const char* refused : {"--help", "-x", "file:///etc/passwd", "javascript:alert(1)", "example.org",
                                    "http://", "https:///path", "mailto:", "", "/etc/passwd", "ftp://example.org/"}) {
            const QString text = QString::fromUtf8(QJsonDocument(QJsonObject{{"FuncName", "OpenUrl"}, {"url", refused}})
                                                       .toJson(QJsonDocument::Compact));
            QCOMPARE(send(dispatcher, text).kind, Answer::None);
        }
        send(dispatcher, "{\"FuncName\":\"OpenUrl\",\"url\":\"HTTP://Example.org/a b?q=1\"}");
        send(dispatcher, "{\"FuncName\":\"OpenUrl\",\"url\":\"mailto:help@example.org\"}");
        QCOMPARE(host.calls, QStringList({"openUrl https://example.org/", "openUrl http://example.org/a%20b?q=1",
                                          "openUrl mailto:help@example.org"}));
    }

    void defaultLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("code");
        QTest::newRow("Chinese") << int(QLocale::Chinese) << "zh";
        QTest::newRow("German") << int(QLocale::German) << "de";
        QTest::newRow("English") << int(QLocale::English) << "en";
        QTest::newRow("Spanish") << int(QLocale::Spanish) << "es";
        QTest::newRow("French") << int(QLocale::French) << "fr";
        QTest::newRow("Italian") << int(QLocale::Italian) << "it";
        QTest::newRow("Japanese") << int(QLocale::Japanese) << "jp";
        QTest::newRow("Korean") << int(QLocale::Korean) << "en";
        QTest::newRow("Portuguese") << int(QLocale::Portuguese) << "en";
    }
    // "Start with the session": the autostart entry is written whole with
    // the program quoted, read back, switched off by the desktop's own key,
    // removed, and never written through a link.
    void sessionStartWritesTheAutostartEntry()
    {
        RecordingHost host(false);
        CommandDispatcher dispatcher(host);
        const auto state = [&dispatcher]() {
            return QJsonDocument::fromJson(send(dispatcher, R"({"FuncName":"GetSessionStart"})").text.toUtf8()).object();
        };
        QCOMPARE(state().value("Available").toBool(true), false);
        QCOMPARE(send(dispatcher, R"({"FuncName":"SetSessionStart","Enabled":"1"})").text,
                 QString("SetSessionStart failed"));

        QTemporaryDir home;
        host.installation.autostartEntry = home.filePath("config/autostart/org.orvanta.orvanta.desktop");
        host.installation.autostartProgram = "/opt/My \"Mice\"/orvanta";
        host.installation.appId = "org.orvanta.orvanta";
        QCOMPARE(state().value("Enabled").toBool(true), false);
        QCOMPARE(send(dispatcher, R"({"FuncName":"SetSessionStart","Enabled":"1"})").text,
                 QString("SetSessionStart success"));
        QCOMPARE(state().value("Enabled").toBool(), true);
        QFile entry(host.installation.autostartEntry);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(entry.readAll());
        QVERIFY2(text.contains("Exec=\"/opt/My \\\"Mice\\\"/orvanta\" -autostart\n"), qPrintable(text));
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        entry.close();

        // Switched off in the desktop's own settings.
        QVERIFY(entry.open(QIODevice::Append));
        entry.write("Hidden=true\n");
        entry.close();
        QCOMPARE(state().value("Enabled").toBool(true), false);

        QCOMPARE(send(dispatcher, R"({"FuncName":"SetSessionStart","Enabled":"0"})").text,
                 QString("SetSessionStart success"));
        QVERIFY(!QFile::exists(host.installation.autostartEntry));
        QCOMPARE(send(dispatcher, R"({"FuncName":"SetSessionStart","Enabled":"0"})").text,
                 QString("SetSessionStart success"));
        QCOMPARE(send(dispatcher, R"({"FuncName":"SetSessionStart","Enabled":"yes"})").text,
                 QString("SetSessionStart failed"));

        // A link in the entry's place is not written through.
        const QString target = home.filePath("elsewhere.desktop");
        QVERIFY(QFile::link(target, host.installation.autostartEntry));
        QCOMPARE(send(dispatcher, R"({"FuncName":"SetSessionStart","Enabled":"1"})").text,
                 QString("SetSessionStart failed"));
        QVERIFY(!QFile::exists(target));
        QCOMPARE(state().value("Enabled").toBool(true), false);
    }

    void installationSaysWhereUpdatesComeFrom()
    {
        RecordingHost host(false);
        CommandDispatcher dispatcher(host);
        QCOMPARE(send(dispatcher, R"({"FuncName":"GetInstallation"})").text,
                 QString(R"({"Installed":false,"SelfUpdate":true})"));
        host.installation.installed = true;
        host.installation.selfUpdate = false;
        QCOMPARE(send(dispatcher, R"({"FuncName":"GetInstallation"})").text,
                 QString(R"({"Installed":true,"SelfUpdate":false})"));
    }

    void defaultLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, code);
        RecordingHost host(false);
        CommandDispatcher dispatcher(host);
        QLocale::setDefault(QLocale(QLocale::Language(language)));
        QCOMPARE(send(dispatcher, R"({"FuncName":"GetDefaultLanguage"})").text, code);
        QLocale::setDefault(QLocale::system());
    }
};

QTEST_GUILESS_MAIN(CommandDispatcherTest)
#include "tst_command_dispatcher.moc"
