#pragma once

#include <QMap>
#include <QString>
#include <QVariantList>

#include <optional>

#include "device_discovery.h"

struct DeviceAccess;
class ClientSettings;
class DeviceFunctions;
class FileCache;
class InputAutomation;
class UpdateService;
class MusicRuntime;
class PointerSettings;
class device_data_handler;

// What the page commands need from their surroundings. The main window
// implements it over its views, pop-ups, tray and dialogs; orvanta-cli
// implements it without any of those (hasWindow() is false, and the
// dispatcher answers the commands that need them with a failure before they
// run); tests use a recording fake.
//
// Everything is called in the dispatcher's thread.
class CommandHost
{
public:
    virtual ~CommandHost() = default;

    // The folder of the executable, with a trailing "/".
    virtual QString applicationFolder() const = 0;
    virtual FileCache& fileCache() = 0;
    virtual device_data_handler& deviceHandler() = 0;
    // The device functions the device commands go through.
    virtual DeviceFunctions& deviceFunctions() = 0;
    // The host's copy of the device map, replaced by "GetDevicesList".
    virtual DeviceMap& deviceMap() = 0;

    // The desktop's pointer settings; nullptr for a host without any (the
    // pointer commands then fail and the summary reports the fallbacks).
    virtual PointerSettings* pointerSettings() { return nullptr; }

    // Raises a page event. view empty: every browser the event is meant
    // for; otherwise only the browser registered under that name.
    virtual void sendPageEvent(const QString& name, const QVariantList& args, const QString& view = QString()) = 0;

    // The client profile and the tray mode.
    virtual ClientSettings& clientSettings() = 0;

    // The music analysis and the sound player; nullptr: the host has none
    // (the music commands then play nothing).
    virtual MusicRuntime* music() { return nullptr; }

    // Downloads, firmware updates and the update check; nullptr: the host
    // has none (the update commands then fail).
    virtual UpdateService* updateService() { return nullptr; }

    // Opens an address with the desktop's default handler.
    virtual void openUrl(const QString& url) = 0;

    // Whether this user can reach the real devices' nodes the udev rule
    // grants (see device_access.h); the default asks udev and the system.
    virtual DeviceAccess deviceAccess();

    // The keyboard capture and the software remapping; nullptr where the
    // host has none (the capture commands then answer as usual and the
    // remapping fails).
    virtual InputAutomation* inputAutomation() { return nullptr; }

    // Window, views, tray and dialogs: only called when hasWindow() is true.
    virtual bool hasWindow() const = 0;
    virtual void maximizeWindow() {}
    virtual void restoreWindow() {}
    // Hides the window, loads url in the main view at (width, height),
    // centres and shows the window again a second later.
    virtual void loginMain(const QString& /*url*/, int /*width*/, int /*height*/) {}
    // Loads a full address in the main browser's main frame.
    virtual void loadUrl(const QString& /*address*/) {}
    virtual void goBack() {}
    virtual void goForward() {}
    // Opens the pop-up for url unless one is open for it already.
    virtual void openView(const QString& /*url*/, int /*width*/, int /*height*/) {}
    // Closes the pop-up activated last.
    virtual void closeView() {}
    virtual void showTrayMessage(const QString& /*title*/, const QString& /*text*/) {}
    virtual void hideToTray() {}
    virtual void closeApplication() {}
    // Whether the desktop shows the program's tray icon: without one, a
    // window hidden to the tray could only come back by starting the
    // program again.
    virtual bool hasTray() const { return false; }
    // Modal file dialogs; nullopt when cancelled. folder and filter may be
    // empty.
    virtual std::optional<QString> saveFileName(const QString& /*title*/, const QString& /*folder*/,
                                                const QString& /*filter*/)
    {
        return std::nullopt;
    }
    virtual std::optional<QString> openFileName(const QString& /*title*/, const QString& /*folder*/,
                                                const QString& /*filter*/)
    {
        return std::nullopt;
    }
};
