#pragma once

#include "hotplug_source.h"

#include <QString>

class QSocketNotifier;
struct udev;
struct udev_monitor;

// Device changes of real hardware, as the udev daemon announces them.
//
// The monitor listens for HID raw devices ("hidraw"): these are the nodes a
// HID transport opens, and udev announces one only after its rules have run,
// so a device list taken in answer to an arrival already shows the device.
// "add" is an arrival and "remove" a removal; every other action (bind,
// unbind, change, move, ...) leaves the set of devices as it was and is
// ignored.
class UdevHotplugSource : public HotplugSource {
    Q_OBJECT

public:
    explicit UdevHotplugSource(QObject *parent = nullptr);
    ~UdevHotplugSource() override;

    bool start() override;
    void stop() override;
    QString description() const override;

    // The kind a udev action stands for; 0 for actions that are ignored.
    static int kindForAction(const QString &action);

private:
    void onReadable();

    struct udev *m_udev = nullptr;
    struct udev_monitor *m_monitor = nullptr;
    QSocketNotifier *m_notifier = nullptr;
};
