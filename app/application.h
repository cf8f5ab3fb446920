#pragma once

#include "client_profile.h"
#include "device_discovery.h"
#include "key_value_table.h"

#include <QApplication>
#include <QMap>
#include <QPointer>
#include <QStringList>

class DeviceNotifier;
class InstanceGuard;
class Window;
class devices_handler;

// The program's QApplication.
class PsApplication : public QApplication
{
    Q_OBJECT
public:
    PsApplication(int& argc, char** argv);
};

// The one application object: the single-instance guard, then, in the
// first instance, the main window, the device access, the device
// notifications and the tray, until a quit request ends the event loop.
class Application : public PsApplication
{
    Q_OBJECT
public:
    // Notes "-autostart" (exact, in any position, argv[0] included).
    Application(int& argc, char** argv);
    ~Application() override;

    // True when an argument is exactly "-autostart".
    static bool hasAutostart(const QStringList& arguments);

    // Starts the guard; the main window follows when this is the first
    // instance.
    void start();

    Window* mainWindow() const { return m_window; }
    devices_handler* devicesHandler() const { return m_devicesHandler; }
    QMap<QString, QString> clientProfile() const { return m_profile.map(); }
    QString clientProfileText() const { return m_profile.text(); }
    void setTemplateFolder(const QString& folder) { m_templateFolder = folder; }
    QString templateFolder() const { return m_templateFolder; }
    // page folder = template folder + "/" + relative folder
    void setPageFolder(const QString& relativeFolder);
    QString pageFolder() const { return m_pageFolder; }
    // "" when absent.
    QString keyValue(const QString& key) const;
    QStringList deviceIds() const { return m_deviceIds; }
    DeviceMap devices() const { return m_devices; }
    // Loads the client profile again (the close command reads CloseFunc).
    bool loadClientProfile();

public slots:
    void play() {}
    void on_closeApp();

private:
    void createMainWindow();
    void onCommand(const QString& name);

    DeviceMap m_devices;
    QString m_templateFolder;
    QString m_pageFolder;
    ClientProfile m_profile;
    InstanceGuard* m_guard = nullptr;
    bool m_autostart = false;
    QStringList m_deviceIds;
    Window* m_window = nullptr;
    devices_handler* m_devicesHandler = nullptr;
    DeviceNotifier* m_notifier = nullptr;
    KeyValueTable m_keyValues;
};
