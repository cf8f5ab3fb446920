#pragma once

class QCoreApplication;

// The process-wide quit request. The first request sets the quitting flag
// and, when an application is registered, ends its event loop; later
// requests do nothing. A request made before the application is registered
// only sets the flag, so the event loop is never entered.
void quitApplication();
bool isQuitting();

// The one application object; null until it starts.
void registerApplication(QCoreApplication* app);
QCoreApplication* registeredApplication();

// The autostart switch ("-autostart" on the command line): the main window
// starts hidden in the tray.
void setAutostart(bool on);
bool isAutostart();
