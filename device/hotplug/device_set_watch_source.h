#pragma once

#include "device_set_snapshot.h"
#include "hotplug_source.h"

#include <QString>

class QFileSystemWatcher;
class QTimer;

// Device changes of the emulated devices: watches the emulator's device-set
// file and reports, for every change of the file, one removal per device that
// went and then one arrival per device that came (see device_set_snapshot.h
// for what counts as a device).
//
// The emulator saves by writing a temporary file and renaming it over the
// set, which ends a watch on the old file; the folder is watched as well, so
// the replaced (or deleted and re-created) file is noticed and watched again.
class DeviceSetWatchSource : public HotplugSource {
    Q_OBJECT

public:
    explicit DeviceSetWatchSource(const QString &filePath, QObject *parent = nullptr);
    ~DeviceSetWatchSource() override;

    // The set the emulator loads: the file that ORVANTA_DEVICES names, else
    // devices.json in the application folder.
    static QString defaultFilePath();

    // Takes the current devices as the starting point (no notices for them)
    // and watches the file and its folder. False when the folder does not
    // exist or cannot be watched.
    bool start() override;
    void stop() override;
    QString description() const override;

    QString filePath() const { return m_filePath; }

private:
    void scheduleRescan();
    void rescan();
    void watchFile();

    QString m_filePath;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_rescan = nullptr;
    DeviceSetSnapshot m_devices;
};
