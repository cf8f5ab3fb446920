#pragma once

#include <functional>

#include "command_host.h"
#include "device_data_handler.h"
#include "file_cache.h"
#include "update_service.h"

// The host of the page commands without a window (orvanta-cli): its own
// file cache, device write worker, device map and update service; page
// events go to a sink.
// Window, view, tray and dialog commands are answered by the dispatcher
// with a failure, since hasWindow() is false.
class HeadlessHost : public CommandHost
{
public:
    using EventSink = std::function<void(const QString& name, const QVariantList& args, const QString& view)>;

    // folder: the application folder (a trailing "/" is added when missing).
    explicit HeadlessHost(const QString& folder, EventSink events = EventSink());

    // What the main window does at start: registers the Driver definitions
    // and lists the devices, so that a device command works as the first
    // request. Answers the number of devices found.
    int start();

    QString applicationFolder() const override { return m_folder; }
    FileCache& fileCache() override { return m_cache; }
    device_data_handler& deviceHandler() override { return m_handler; }
    DeviceFunctions& deviceFunctions() override { return m_handler.deviceFunctions(); }
    DeviceMap& deviceMap() override { return m_devices; }
    UpdateService* updateService() override { return &m_updates; }

    void sendPageEvent(const QString& name, const QVariantList& args, const QString& view) override;
    // Hands the address to xdg-open, detached.
    void openUrl(const QString& url) override;
    bool hasWindow() const override { return false; }

private:
    QString m_folder;
    EventSink m_events;
    FileCache m_cache;
    device_data_handler m_handler;
    DeviceMap m_devices;
    UpdateService m_updates;
};
