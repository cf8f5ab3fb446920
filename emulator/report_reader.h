#pragma once

#include "device_set.h"
#include "transport_entry_points.h"

#include <QString>
#include <QVector>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace emulator {

using transport::ReportCallback;

// Plays the input-report scripts of the devices being read on a thread of its
// own, calling the host's callback with each report when it falls due.
//
// Each script step waits its delay (from the previous report, or from the
// start) and then delivers its bytes; a looping script starts over after its
// last step. A report whose device is not reachable at that moment (unplugged,
// in its boot loader) is skipped, the script runs on.
//
// The host's callback is never called with a lock held, so it may call back
// into the library, even to start or stop reading.
class ReportReader {
public:
    struct Stream {
        QString path; // the interface the reports come from
        QVector<ReportStep> steps;
        bool loop = false;
    };
    // Asked before each report whether the device behind path can send it;
    // must not call start() or stop().
    using Reachable = std::function<bool(const QString &path)>;

    explicit ReportReader(Reachable reachable);
    ~ReportReader();

    // Stops the current run, then plays streams to callback. False when no
    // thread could be started.
    bool start(const QVector<Stream> &streams, ReportCallback callback);
    // Stops the current run and waits for the thread, unless called from the
    // thread itself (from inside the callback): then the thread ends as soon
    // as the callback returns.
    void stop();
    bool running() const;

private:
    struct Run;
    static void play(const std::shared_ptr<Run> &run, const Reachable &reachable);

    Reachable m_reachable;
    mutable std::mutex m_mutex; // guards m_run and m_thread
    std::shared_ptr<Run> m_run;
    std::thread m_thread;
};

} // namespace emulator
