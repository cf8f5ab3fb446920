#pragma once

#include <QFileInfo>
#include <QString>
#include <QVariantList>

#include <functional>
#include <optional>

#include "device_discovery.h"
#include "installation.h"
#include "path_inside_folder.h"

class ClientSettings;
class DeviceFunctions;
class FileCache;
class InputAutomation;
class MusicRuntime;
class PointerSettings;
class PresetStore;
class PresetSwitcher;
class UpdateService;
class WindowPort;
class device_data_handler;
struct DeviceAccess;

// What the page commands work with: the parts of the page session they
// reach, handed over as they are. The page session fills it; tests fill it
// with fakes. Everything is used in the dispatcher's thread.
struct PageServices {
    // The folder of the files the pages write and read, with a trailing
    // "/": the program's folder when it runs portable, the user's
    // settings folder when it is installed.
    QString applicationFolder;
    // Shipped data, self-update, demo devices, session autostart.
    Installation installation;
    FileCache* fileCache = nullptr;
    device_data_handler* deviceHandler = nullptr;
    // The device functions the device commands go through.
    DeviceFunctions* deviceFunctions = nullptr;
    // The session's copy of the device map, replaced by "GetDevicesList".
    DeviceMap* deviceMap = nullptr;
    // The client profile and the tray mode.
    ClientSettings* clientSettings = nullptr;
    // These may be null: the commands that need them then fail (or, for
    // music, play nothing).
    PointerSettings* pointerSettings = nullptr;
    MusicRuntime* music = nullptr;
    UpdateService* updates = nullptr;
    InputAutomation* automation = nullptr;
    // The presets that follow the window in front and their files.
    PresetStore* presetStore = nullptr;
    PresetSwitcher* presets = nullptr;
    // null without a window (orvanta-cli).
    WindowPort* window = nullptr;

    // Raises a page event; view: the view it names ("" when none).
    std::function<void(const QString& name, const QVariantList& args, const QString& view)> sendPageEvent;
    // Opens an address with the desktop's default handler.
    std::function<void(const QString& url)> openUrl;
    // Whether this user can reach the real devices' nodes (device_access.h);
    // unset: udev and the system are asked.
    std::function<DeviceAccess()> deviceAccess;

    bool hasWindow() const { return window != nullptr; }

    // The file a page names for reading: the user's when it exists, else
    // the shipped one when that exists, else the user's (which a write
    // would make); nullopt when the name leaves the folders.
    std::optional<QString> readablePath(const QString& relative) const
    {
        const QString& dataFolder = installation.dataFolder;
        const std::optional<QString> own = pathInsideFolder(applicationFolder, relative);
        if (!own || dataFolder.isEmpty() || dataFolder == applicationFolder || QFileInfo::exists(*own))
            return own;
        const std::optional<QString> shipped = pathInsideFolder(dataFolder, relative);
        return shipped && QFileInfo(*shipped).isFile() ? shipped : own;
    }
    void raise(const QString& name, const QVariantList& args, const QString& view = QString()) const
    {
        if (sendPageEvent)
            sendPageEvent(name, args, view);
    }
};
