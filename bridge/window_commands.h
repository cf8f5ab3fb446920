#pragma once

#include <QMap>
#include <QString>

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
