#pragma once

#include "evdev_backend.h"

#include <QMap>

#include <atomic>

struct libevdev;
struct libevdev_uinput;
struct udev;
struct udev_monitor;

// EvdevBackend on the running system: mice found and watched through
// libudev (input devices marked ID_INPUT_MOUSE; touchpads, tablets,
// joysticks, nodes that are keyboards too and virtual devices left out), read, grabbed and cloned through libevdev,
// waited for with poll(2) and woken through an eventfd.
class LibevdevBackend : public EvdevBackend
{
public:
    LibevdevBackend();
    ~LibevdevBackend() override;

    bool start(QString* error) override;
    void stop() override;
    QStringList mouseNodes() override;
    int openDevice(const QString& node, QString* error, bool* denied) override;
    bool createClone(int handle, QString* error) override;
    bool grab(int handle) override;
    void closeDevice(int handle) override;
    WaitResult wait(const QVector<int>& handles, QVector<int>* readable, bool* devicesChanged) override;
    bool read(int handle, QVector<KernelInputEvent>* events) override;
    bool writeClone(int handle, const QVector<KernelInputEvent>& events) override;
    void wake() override;

private:
    struct Device {
        libevdev* dev = nullptr;
        libevdev_uinput* clone = nullptr;
        bool grabbed = false;
    };
    bool drainMonitor();

    QMap<int, Device> m_devices;   // by file descriptor
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    std::atomic<int> m_wakeFd{-1};
};
