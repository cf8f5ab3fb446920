#pragma once

#include "hid_report_translator.h"

#include <QString>
#include <QStringList>
#include <QVector>

// What the evdev input filter asks of the kernel, device by device: find the
// mice, open one, give it a uinput clone, grab it, read its events, write
// to its clone, and wait for input or for mice to come and go. The real
// implementation (LibevdevBackend) goes through libevdev and libudev; tests
// put a fake in its place.
//
// Everything but wake runs on the filter thread.
class EvdevBackend
{
public:
    enum WaitResult { Ready, Woken, Failed };

    virtual ~EvdevBackend() = default;

    // Prepares waiting and the watch for mice coming and going. False, with
    // a text for the log, when the filter cannot work on this machine (no
    // access to /dev/uinput, for one).
    virtual bool start(QString* error) = 0;
    virtual void stop() = 0;

    // The event nodes of the mice present now ("/dev/input/event5"). The
    // filter's own and other virtual devices are not listed.
    virtual QStringList mouseNodes() = 0;

    // Opens a node: a handle, or -1 with *error set (and *denied when the
    // user lacks permission).
    virtual int openDevice(const QString& node, QString* error, bool* denied) = 0;
    // Creates the uinput device that carries on what the filter does not
    // take, with the same events as the mouse.
    virtual bool createClone(int handle, QString* error) = 0;
    // Takes the mouse away from every other reader (EVIOCGRAB).
    virtual bool grab(int handle) = 0;
    // Ungrabs, removes the clone and closes.
    virtual void closeDevice(int handle) = 0;

    // Waits until one of the handles has input, the set of mice changed
    // (*devicesChanged), or wake() was called (Woken).
    virtual WaitResult wait(const QVector<int>& handles, QVector<int>* readable, bool* devicesChanged) = 0;
    // Takes every event the device has ready; false when the device is gone.
    virtual bool read(int handle, QVector<KernelInputEvent>* events) = 0;
    virtual bool writeClone(int handle, const QVector<KernelInputEvent>& events) = 0;
    // Ends the current or next wait with Woken; any thread.
    virtual void wake() = 0;
};
