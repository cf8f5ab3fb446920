#pragma once

#include <QString>

#include <optional>

// The window operations page commands ask for: the main window implements
// it; orvanta-cli has none (the dispatcher then answers the commands that
// need it with a failure, before they run).
class WindowPort
{
public:
    virtual ~WindowPort() = default;

    virtual void maximizeWindow() = 0;
    virtual void restoreWindow() = 0;
    // Hides the window, loads url in the main view at (width, height),
    // centres and shows the window again a second later.
    virtual void loginMain(const QString& url, int width, int height) = 0;
    // Loads a full address in the main browser's main frame.
    virtual void loadUrl(const QString& address) = 0;
    virtual void goBack() = 0;
    virtual void goForward() = 0;
    // Opens the pop-up for url unless one is open for it already.
    virtual void openView(const QString& url, int width, int height) = 0;
    // Closes the pop-up activated last.
    virtual void closeView() = 0;
    virtual void showTrayMessage(const QString& title, const QString& text) = 0;
    virtual void hideToTray() = 0;
    virtual void closeApplication() = 0;
    // Whether the desktop shows the program's tray icon: without one, a
    // window hidden to the tray could only come back by starting the
    // program again.
    virtual bool hasTray() const = 0;
    // Modal file dialogs; nullopt when cancelled. folder and filter may be
    // empty.
    virtual std::optional<QString> saveFileName(const QString& title, const QString& folder, const QString& filter) = 0;
    virtual std::optional<QString> openFileName(const QString& title, const QString& folder, const QString& filter) = 0;
};
