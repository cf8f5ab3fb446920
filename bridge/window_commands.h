#pragma once

#include <QMap>
#include <QString>
#include <QUrl>

class CommandTable;

// Window, view and tray commands: "TrayFun", "ShowMsgBox", "LoginMain",
// "loadurl", "goback", "goforward", "CloseX", "CloseApp", "OpenView",
// "CloseView", "SendMsgToMainBrowser".
void addWindowCommands(CommandTable& table);

// What "CloseX" does with the client profile's CloseFunc: "Closeapp"
// (exactly so) closes the application, any other value hides the window to
// the tray, and without CloseFunc nothing happens.
enum class CloseAction { Nothing, CloseApplication, HideToTray };
CloseAction closeActionOf(const QMap<QString, QString>& profile);

// The address "loadurl" loads: the file page names below folder (which
// ends with "/"), with the query and fragment page gives ("lp.html?x=1#a").
QUrl localPageAddress(const QString& folder, const QString& page);
