#pragma once

#include <QObject>
#include <QString>

// The kinds of device change that reach the page as "devicesChanged".
namespace DeviceChange {
constexpr int Removal = 1;
constexpr int Arrival = 2;
} // namespace DeviceChange

// One origin of device-change notices: the system's device manager for real
// hardware, the emulator's device-set file for emulated devices. A source
// reports each device that came (DeviceChange::Arrival) or went
// (DeviceChange::Removal) through deviceChanged, on the thread it lives in.
class HotplugSource : public QObject {
    Q_OBJECT

public:
    explicit HotplugSource(QObject *parent = nullptr);
    ~HotplugSource() override;

    // Begins watching. False when this source cannot watch on this machine;
    // it then reports nothing. Calling start again on a started source
    // changes nothing and returns true.
    virtual bool start() = 0;
    // Stops watching; a stopped source can be started again.
    virtual void stop() = 0;
    // Names the source in diagnostic lines.
    virtual QString description() const = 0;

signals:
    void deviceChanged(int kind);
};
