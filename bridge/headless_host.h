#pragma once

#include <functional>
#include <memory>

#include "client_settings.h"
#include "command_host.h"
#include "device_session.h"
#include "input_automation.h"
#include "music_runtime.h"
#include "pointer_settings.h"
#include "update_service.h"

// The host of the page commands without a window (orvanta-cli): its own
// device session (file cache, device functions and map, the device write
// worker, run in the caller's thread), music runtime, update service, input
// automation and pointer settings (chosen from the environment:
// ORVANTA_POINTER_SETTINGS=<file> keeps them in that file alone); page
// events go to a sink.
// Window, view, tray and dialog commands are answered by the dispatcher
// with a failure, since hasWindow() is false.
class HeadlessHost : public CommandHost
{
public:
    using EventSink = std::function<void(const QString& name, const QVariantList& args, const QString& view)>;

    // folder: the application folder (a trailing "/" is added when missing);
    // settings: the program's client settings, which must outlive the host.
    HeadlessHost(const QString& folder, ClientSettings& settings, EventSink events = EventSink());

    // What the main window does at start: registers the Driver definitions
    // and lists the devices, so that a device command works as the first
    // request; takes the lighting view of the music data from the client
    // profile; opens the virtual device (the report log that
    // ORVANTA_VIRTUAL_HID_LOG names). Answers the number of devices found.
    int start();

    QString applicationFolder() const override { return m_folder; }
    FileCache& fileCache() override { return m_devices.fileCache(); }
    device_data_handler& deviceHandler() override { return m_devices.writer(); }
    DeviceFunctions& deviceFunctions() override { return m_devices.deviceFunctions(); }
    DeviceMap& deviceMap() override { return m_devices.deviceMap(); }
    MusicRuntime* music() override { return &m_music; }
    PointerSettings* pointerSettings() override { return m_pointerSettings.get(); }
    ClientSettings& clientSettings() override { return m_settings; }
    UpdateService* updateService() override { return &m_updates; }

    void sendPageEvent(const QString& name, const QVariantList& args, const QString& view) override;
    // Hands the address to xdg-open, detached.
    void openUrl(const QString& url) override;
    bool hasWindow() const override { return false; }
    // The capture keeps its state only; the remapping plays the strokes
    // of ORVANTA_INPUT_SCRIPT, from the first "RefreshVirtualDrive" on.
    InputAutomation* inputAutomation() override { return &m_automation; }

private:
    QString m_folder;
    ClientSettings& m_settings;
    EventSink m_events;
    DeviceSession m_devices;
    std::unique_ptr<PointerSettings> m_pointerSettings;
    MusicRuntime m_music;
    UpdateService m_updates;
    InputAutomation m_automation;
};
