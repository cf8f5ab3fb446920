#pragma once

#include <QObject>
#include <QVector>

class HotplugSource;

// Turns the device changes of every registered source into one stream for the
// main window, which raises the page event "devicesChanged" from it. Each
// arrival is logged "DBT_DEVICEARRIVAL case" and each removal
// "DBT_DEVICEREMOVECOMPLETE case" before the signal goes out, so the log
// shows the notice even when nothing is connected yet.
class DeviceNotifier : public QObject {
    Q_OBJECT

public:
    explicit DeviceNotifier(QObject *parent = nullptr);
    ~DeviceNotifier() override;

    // A notifier fed by the system's device manager (real hardware) and by the
    // watch on the emulator's device-set file, both started.
    static DeviceNotifier *createForSystem(QObject *parent = nullptr);

    // Takes ownership of source and forwards what it reports. The source is
    // not started here.
    void addSource(HotplugSource *source);
    // Starts every source; a source that cannot start is logged and left
    // out. Returns how many sources are watching.
    int start();
    void stop();

    QVector<HotplugSource *> sources() const { return m_sources; }

signals:
    // kind: DeviceChange::Arrival (2) or DeviceChange::Removal (1).
    void signal_devicesChanged(int kind);

private slots:
    void onDeviceChanged(int kind);

private:
    QVector<HotplugSource *> m_sources;
};
