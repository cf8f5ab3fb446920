#pragma once

#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <memory>

#include "command_dispatcher.h"
#include "device_report_sender.h"
#include "device_session.h"
#include "input_automation.h"
#include "music_runtime.h"
#include "page_services.h"
#include "pointer_settings.h"
#include "preset_stage_writer.h"
#include "preset_store.h"
#include "preset_switcher.h"
#include "query_callback.h"
#include "update_service.h"

class ClientSettings;
class PageEventSink;
class WindowPort;

// What a page session is built from.
struct PageSessionSetup {
    // The folder of the files the pages edit (a trailing "/" is added when
    // missing): the program's folder when portable, the user's settings
    // folder when installed.
    QString applicationFolder;
    // How the program is installed (a trailing "/" is added to its data
    // folder when missing).
    Installation installation;
    // Where the device write worker runs.
    DeviceSession::Worker worker = DeviceSession::Worker::CallerThread;
    // The client profile and the tray mode; must outlive the session.
    ClientSettings* settings = nullptr;
    // Where the session's events go; must outlive the session. May be
    // called from any thread.
    PageEventSink* events = nullptr;
    // The window operations; null without a window (the commands that need
    // one then fail before they run).
    WindowPort* window = nullptr;
    // The keyboard capture, virtual device and input filter.
    InputAutomationSetup automation = InputAutomationSetup::headless();
    // Where the window in front is learnt; null: nowhere (the presets are
    // switched by hand only).
    std::unique_ptr<FocusSource> focusSource;
    // Whether start() puts the default preset into effect and starts
    // following the window in front (the program's window does; orvanta-cli
    // keeps the remapping to what its commands load).
    bool followFocus = false;
    // The desktop's pointer settings; null: chosen from the environment.
    std::unique_ptr<PointerSettings> pointer;
    // The view that receives the music lighting data (the client profile's
    // MusicView); empty: the data is not sent.
    QString musicView;
    // Opens an address with the desktop's handler; unset: xdg-open.
    std::function<void(const QString& url)> openUrl;
};

// One session of the pages with the program: the devices (file cache,
// device functions and map, the write worker), the desktop's pointer
// settings, the music analysis, the updates, the input automation, and the
// command dispatcher that runs the pages' requests against them.
//
// It is where page requests enter (onJsMessage, dofunc) and where every
// event the session raises leaves, through the event sink: events of the
// commands, of the update service, of the music analysis, of the devices'
// input reports and of device arrival. The window and orvanta-cli each
// build one and add only their window port and event sink.
//
// Lives in the thread that made it; input reports arrive on the transport
// library's reader thread and go straight to the sink.
class PageSession : public DeviceDataSender
{
public:
    explicit PageSession(PageSessionSetup setup);
    // Stops the input automation (nothing stays grabbed or held down) and
    // the update work before the devices go.
    ~PageSession() override;
    PageSession(const PageSession&) = delete;
    PageSession& operator=(const PageSession&) = delete;

    // What the session does before its first request: registers the Driver
    // definitions and lists the devices, so that a device command works as
    // the first request; opens the virtual device; and becomes the
    // receiver of the devices' input reports. Answers the number of devices
    // found.
    int start();

    // A page request: decoded and run by the dispatcher.
    void onJsMessage(const QString& request, const QueryCallbackPtr& callback);
    // Runs the command funcname with its request members.
    void dofunc(const QString& funcname, const QVariantMap& args, const QueryCallbackPtr& callback);

    // Raises a page event through the sink; view: the view named with it.
    void raise(const QString& name, const QVariantList& args, const QString& view = QString());
    // A device arrived (2) or went (1): "devicesChanged"; other kinds are
    // ignored.
    void devicesChanged(int kind);

    // DeviceDataSender: an input report of a vendor interface, raised as
    // "onDeviceData".
    void sendDeviceData(const QString& report) override;

    QString applicationFolder() const { return m_services.applicationFolder; }
    DeviceSession& devices() { return m_devices; }
    PointerSettings& pointerSettings() { return *m_pointer; }
    MusicRuntime& music() { return m_music; }
    UpdateService& updates() { return m_updates; }
    InputAutomation& automation() { return m_automation; }
    PresetSwitcher& presets() { return m_presets; }
    PresetStore& presetStore() { return m_presetStore; }
    ClientSettings& settings() { return *m_settings; }
    PageServices& services() { return m_services; }
    CommandDispatcher& dispatcher() { return m_dispatcher; }

private:
    // Destroyed in reverse order: the dispatcher, the update work, the
    // automation, the music, the pointer settings, then the devices (whose
    // write worker thread stops last).
    ClientSettings* m_settings;
    PageEventSink* m_events;
    DeviceSession m_devices;
    std::unique_ptr<PointerSettings> m_pointer;
    MusicRuntime m_music;
    InputAutomation m_automation;
    PresetStore m_presetStore;
    PresetStageWriter m_stageWriter;
    PresetSwitcher m_presets;
    bool m_followFocus = false;
    UpdateService m_updates;
    PageServices m_services;
    CommandDispatcher m_dispatcher;
    bool m_receivesReports = false;
};
