#pragma once

#include "device_discovery.h"
#include "device_functions.h"
#include "file_cache.h"
#include "pop_widget.h"
#include "ps_main_window.h"
#include "query_callback.h"
#include "w1_pass.h"

#include <QMap>
#include <QPointer>
#include <QQueue>
#include <QRect>
#include <QSystemTrayIcon>
#include <QThread>
#include <QVariantMap>

#include <memory>

class ClientHandler;
class CommandDispatcher;
class DialogUpdatePrompt;
class UpdateService;
class MusicRuntime;
class InputAutomation;
class PointerSettings;
class WindowCommandHost;
class SystemTray;
class WebView;
class device_data_handler;

// What the main window is built from.
struct WindowSetup {
    QMap<QString, QString> profile;   // the client profile map
    QString applicationFolder;        // with a trailing "/"
    QString privateFolder;            // a folder only this user can reach:
                                      // the local page copy lives there
    QString language;                 // conf.ini's Language (tray menu texts)
};

// The main window: frameless, hosting the main web view on the start page.
// It owns the tray icon, the pop-up table, the file cache of page-edited
// files, the device write worker and its thread, and the window's own
// device access; it runs the periodic W1 pass. Closing it hides it to the
// tray; only an explicit exit quits.
//
// The page commands are run by the command dispatcher, which reaches what
// it needs through the accessors below.
class Window : public PsMainWindow
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

    // What the command dispatcher works with.
    FileCache& fileCache() { return m_fileCache; }
    ClientHandler* clientHandler() const;
    WebView* mainView() const { return m_mainView; }
    // The pop-up table owns its pop-ups (top-level widgets, no parent).
    QMap<QString, PopWidget*>& popups() { return m_popups; }
    // Enters a pop-up into the table under its address; activating it makes
    // it the current pop-up.
    void registerPopup(const QString& url, PopWidget* popup);
    PopWidget* currentPopup() const { return m_currentPopup; }
    void setCurrentPopup(PopWidget* popup) { m_currentPopup = popup; }
    SystemTray* tray() const { return m_tray; }
    device_data_handler* deviceDataHandler() const { return m_dataHandler; }
    QThread* deviceThread() { return &m_deviceThread; }
    QQueue<QueryCallbackPtr>& pendingAnswers() { return m_pendingAnswers; }
    DeviceMap& deviceMap() { return m_deviceMap; }
    DeviceFunctions& deviceFunctions() { return m_devices; }
    PointerSettings* pointerSettings() const { return m_pointerSettings.get(); }
    QRect rememberedGeometry() const { return m_rememberedGeometry; }
    void setRememberedGeometry(const QRect& geometry) { m_rememberedGeometry = geometry; }
    QMap<QString, QString> profile() const { return m_profile; }
    QString startPage() const { return m_startPage; }
    QString templateFolder() const { return m_templateFolder; }
    QString applicationFolder() const { return m_applicationFolder; }
    QString pageFolder() const { return m_pageFolder; }
    // Downloads, firmware updates and the update check of the program.
    UpdateService* updateService() const { return m_updates.get(); }
    // The music analysis and the sound player.
    MusicRuntime* music() const { return m_music.get(); }
    // The keyboard capture, the virtual device, the input filter and the
    // executor of the software remapping.
    InputAutomation& inputAutomation() { return *m_automation; }

    // Hides the window, then writes out the file cache.
    void hideToTray();
    // Hides to tray, then asks the program to quit.
    void closeApplication();
    // Writes the pending files of the cache; false when one could not be
    // written (the pending list is then kept).
    bool writeOutFileCache();
    // The "show" command of a later instance: un-minimise, activate, show.
    void showFromInstance();
    // One tick of the 20 ms timer.
    void periodicTick();

    // The page folder for a start page: its address without the 32-character
    // page root, with every "/<name>.html" removed.
    static QString relativePageFolder(const QString& loadPath);

signals:
    void funstared();
    void StopVCMDOutput(bool stop);
    void SigWriteDevice(const QString& Version, const QString& DriveVersion, const QString& Index,
                        const QString& Task, const QString& TaskType, const QString& PlayCount,
                        const QString& PlayDelay, const QString& PlayManner);

public slots:
    // A page request from the main view or a pop-up: decoded and run by the
    // command dispatcher.
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
    // A device arrived (2) or went (1): the page hears "devicesChanged".
    void onDevicesChanged(int kind);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QMap<QString, QString> m_profile;
    QString m_applicationFolder;
    QString m_language;
    DeviceMap m_deviceMap;
    QQueue<QueryCallbackPtr> m_pendingAnswers;
    QThread m_deviceThread;
    device_data_handler* m_dataHandler = nullptr;
    SystemTray* m_tray = nullptr;
    FileCache m_fileCache;
    WebView* m_mainView = nullptr;
    QMap<QString, PopWidget*> m_popups;
    QPointer<PopWidget> m_currentPopup;
    QRect m_rememberedGeometry;
    DeviceFunctions m_devices;
    QString m_startPage;
    QString m_templateFolder;
    QString m_pageFolder;
    W1Pass m_w1Pass;
    int m_timerId = 0;
    std::unique_ptr<PointerSettings> m_pointerSettings;
    std::unique_ptr<WindowCommandHost> m_commandHost;
    std::unique_ptr<CommandDispatcher> m_dispatcher;
    std::unique_ptr<DialogUpdatePrompt> m_updatePrompt;
    std::unique_ptr<UpdateService> m_updates;
    std::unique_ptr<MusicRuntime> m_music;
    std::unique_ptr<InputAutomation> m_automation;
};
