#pragma once

#include "client_profile_settings.h"
#include "command_host.h"

class Window;

// The page commands' view of the main window: its file cache, device write
// worker and device map, its views and pop-ups, the tray and the file
// dialogs. Events go out through the client handler's browsers.
class WindowCommandHost : public CommandHost
{
public:
    explicit WindowCommandHost(Window& window);

    QString applicationFolder() const override;
    FileCache& fileCache() override;
    device_data_handler& deviceHandler() override;
    DeviceFunctions& deviceFunctions() override;
    DeviceMap& deviceMap() override;
    UpdateService* updateService() override;
    MusicRuntime* music() override;
    PointerSettings* pointerSettings() override;
    ClientSettings& clientSettings() override { return m_settings; }

    void sendPageEvent(const QString& name, const QVariantList& args, const QString& view) override;
    void openUrl(const QString& url) override;
    InputAutomation* inputAutomation() override;

    bool hasWindow() const override { return true; }
    void maximizeWindow() override;
    void restoreWindow() override;
    void loginMain(const QString& url, int width, int height) override;
    void loadUrl(const QString& address) override;
    void goBack() override;
    void goForward() override;
    void openView(const QString& url, int width, int height) override;
    void closeView() override;
    void showTrayMessage(const QString& title, const QString& text) override;
    void hideToTray() override;
    void closeApplication() override;
    bool hasTray() const override;
    std::optional<QString> saveFileName(const QString& title, const QString& folder,
                                        const QString& filter) override;
    std::optional<QString> openFileName(const QString& title, const QString& folder,
                                        const QString& filter) override;

private:
    QWidget* requestWindow() const;

    Window& m_window;
    ClientProfileSettings m_settings;
};
