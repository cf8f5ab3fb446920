#pragma once

#include <QQueue>
#include <QThread>

#include "device_discovery.h"
#include "device_functions.h"
#include "file_cache.h"
#include "query_callback.h"
#include "w1_reset_pass.h"

class device_data_handler;

// The devices as the page commands reach them, kept together: the file
// cache of the page-edited files (where the write worker finds the device
// profiles), the device functions of the device commands, the host's copy of
// the device map, the device write worker (device_data_handler), on a thread
// of its own when asked for, the page requests waiting for the worker's
// answers, and the periodic reset pass of the W1 family.
//
// Everything but the worker is used in the thread that made the session.
class DeviceSession
{
public:
    enum class Worker {
        CallerThread, // the worker runs where it is called (orvanta-cli)
        OwnThread,    // the worker is moved onto a thread of its own (the window)
    };

    explicit DeviceSession(Worker worker = Worker::CallerThread);
    // Stops the worker thread and deletes the worker.
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Registers the Driver definitions with the worker (and starts its
    // thread), then lists the devices into the device map. Answers the
    // number of devices.
    int start();

    FileCache& fileCache() { return m_fileCache; }
    DeviceFunctions& deviceFunctions() { return m_functions; }
    DeviceMap& deviceMap() { return m_deviceMap; }
    device_data_handler& writer() { return *m_writer; }
    // The worker's thread; null when it runs in the caller's.
    QThread* workerThread() { return m_thread; }

    // Requests waiting for the worker's answers, oldest first.
    QQueue<QueryCallbackPtr>& pendingAnswers() { return m_pendingAnswers; }
    // Answers the oldest waiting request with "writeDevices success!" or the
    // failure "writeDevices failed!"; nothing when none waits.
    void answerOldestWrite(bool success);

    // Lists the devices again into the device map.
    void refreshDeviceMap();

    // One tick of the window's 20 ms timer: every 502nd resets the devices
    // of the W1 family in the device map.
    void periodicTick();
    int ticksToNextPass() const { return m_w1Reset.ticksToNextPass(); }

private:
    FileCache m_fileCache;
    DeviceFunctions m_functions;
    DeviceMap m_deviceMap;
    QThread* m_thread = nullptr;
    device_data_handler* m_writer = nullptr;
    QQueue<QueryCallbackPtr> m_pendingAnswers;
    W1ResetPass m_w1Reset;
};
