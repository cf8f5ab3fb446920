#pragma once

#include "client_profile_settings.h"
#include "page_copy.h"
#include "page_session.h"
#include "ps_main_window.h"
#include "query_callback.h"
#include "window_port.h"

#include <QMap>
#include <QSystemTrayIcon>
#include <QVariantMap>

#include <functional>
#include <memory>

class ClientHandler;
class DialogUpdatePrompt;
class PopupTable;
class SystemTray;
class WebView;

// What the main window is built from.
struct WindowSetup {
    QMap<QString, QString> profile;   // the client profile map
    QString applicationFolder;        // with a trailing "/": the files the
                                      // pages write (the user's folder
                                      // when installed)
    QString dataFolder;               // the shipped data (the page package,
                                      // sounds); empty: applicationFolder
    QString downloadFolder;           // the browser's downloads; empty:
                                      // "update" in applicationFolder
    bool demoDevices = false;         // the devices are the emulator's demo
    QString autostartEntry;           // the session autostart entry ("":
                                      // not offered)
    bool selfUpdate = true;           // a newer client is offered through the
                                      // updater (not when installed)
    QString privateFolder;            // a folder only this user can reach:
                                      // the local page copy lives there
    QString language;                 // conf.ini's Language (tray menu texts)
};

// The main window: frameless, hosting the main web view on the start page.
// It is composed of a few parts: the local page copy (PageCopy), the page
// session (PageSession: the devices with the write worker on its own
// thread, the pointer settings, updates, music, input automation and the
// command dispatcher), the pop-up table (PopupTable) and the tray icon.
// Closing it hides it to the tray; only an explicit exit quits.
//
// To the page session it adds the window operations (it is the session's
// WindowPort) and the browser's views as the event sink (ClientHandler).
class Window : public PsMainWindow, public WindowPort
{
    Q_OBJECT
public:
    explicit Window(const WindowSetup& setup, QWidget* parent = nullptr);
    ~Window() override;

    // Set-up after construction, in this order: frameless hooks, the tray
    // icon, the first show (hidden in the tray with -autostart).
    void setupFrameless();
    void setupTray();
    void firstShow();

    // The parts, for the application and tests.
    PageSession& session() { return *m_session; }
    DeviceSession& deviceSession() { return m_session->devices(); }
    const PageCopy& pageCopy() const { return m_pageCopy; }
    PopupTable& popups() { return *m_popups; }
    ClientHandler* clientHandler() const;
    WebView* mainView() const { return m_mainView; }
    SystemTray* tray() const { return m_tray; }
    PointerSettings* pointerSettings() const { return &m_session->pointerSettings(); }
    QMap<QString, QString> profile() const { return m_profile; }
    QString applicationFolder() const { return m_applicationFolder; }
    // Whether a newer client is offered through the updater.
    bool selfUpdate() const { return m_selfUpdate; }
    // Downloads, firmware updates and the update check of the program.
    UpdateService* updateService() const { return &m_session->updates(); }
    // The music analysis and the sound player.
    MusicRuntime* music() const { return &m_session->music(); }
    // The keyboard capture, the virtual device, the input filter and the
    // executor of the software remapping.
    InputAutomation& inputAutomation() { return m_session->automation(); }

    // WindowPort: what the page commands ask of the window. The maximise
    // and restore act on the window the request came from (this one or a
    // pop-up).
    void maximizeWindow() override;
    void restoreWindow() override;
    void loginMain(const QString& url, int width, int height) override;
    void loadUrl(const QString& address) override;
    void goBack() override;
    void goForward() override;
    // Events for the current view go to the pop-up from now on.
    void openView(const QString& url, int width, int height) override;
    void closeView() override;
    void showTrayMessage(const QString& title, const QString& text) override;
    // Hides the window, then writes out the file cache.
    void hideToTray() override;
    // Hides to tray, then asks the program to quit.
    void closeApplication() override;
    // The tray icon is up and the desktop shows it.
    bool hasTray() const override;
    std::optional<QString> saveFileName(const QString& title, const QString& folder,
                                        const QString& filter) override;
    std::optional<QString> openFileName(const QString& title, const QString& folder,
                                        const QString& filter) override;

    // Whether the desktop has a tray at all (default: Qt's answer); tests
    // set it.
    void setTrayAvailable(std::function<bool()> available) { m_trayAvailable = std::move(available); }
    // Writes the pending files of the cache; false when one could not be
    // written (the pending list is then kept).
    bool writeOutFileCache();
    // The "show" command of a later instance: un-minimise, activate, show.
    void showFromInstance();
    // "maxsizeWindow" and "restoreWindow" for the top-level window a page
    // request came from (this window or a pop-up): it takes the screen's
    // available geometry, and gets back the geometry it had before.
    void maximizeWindow(QWidget* window);
    void restoreWindow(QWidget* window);
    // One tick of the 20 ms timer.
    void periodicTick();

signals:
    void funstared();
    void StopVCMDOutput(bool stop);
    void SigWriteDevice(const QString& Version, const QString& DriveVersion, const QString& Index,
                        const QString& Task, const QString& TaskType, const QString& PlayCount,
                        const QString& PlayDelay, const QString& PlayManner);

public slots:
    // A page request from the main view or a pop-up: handed to the page
    // session.
    void onJsMessage(const QString& request, QueryCallbackPtr callback);
    // Runs the command funcname with its request members.
    void dofunc(const QString& funcname, const QVariantMap& args, QueryCallbackPtr callback);
    void quitApp();
    void reload_currentPage();
    void onSystemtrayActive(QSystemTrayIcon::ActivationReason reason);
    void onCurrentPropChanged(int propIndex, int proMode);
    void onshowWidget();
    void oncloseApp();
    // Answers the oldest waiting device write.
    void SlocallbackReasult(bool success);
    void GetDeviceList();
    // A device arrived (2) or went (1): the main page hears
    // "devicesChanged".
    void onDevicesChanged(int kind);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // The top-level window of the view a page request came from.
    QWidget* requestWindow() const;

    QMap<QString, QString> m_profile;
    QString m_applicationFolder;
    bool m_selfUpdate = true;
    QString m_language;
    PageCopy m_pageCopy;
    std::function<bool()> m_trayAvailable = &QSystemTrayIcon::isSystemTrayAvailable;
    ClientProfileSettings m_settings;
    // Outlives the session's update service, which holds it.
    std::unique_ptr<DialogUpdatePrompt> m_updatePrompt;
    std::unique_ptr<PageSession> m_session;
    SystemTray* m_tray = nullptr;
    WebView* m_mainView = nullptr;
    std::unique_ptr<PopupTable> m_popups;
    QRect m_rememberedGeometry;
    int m_timerId = 0;
    int m_pendingTicks = 0;
    static constexpr int kTickMs = 20;
    void armTicks();
};
