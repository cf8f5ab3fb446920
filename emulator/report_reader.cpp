#include "report_reader.h"

#include <chrono>
#include <system_error>

namespace emulator {

using Clock = std::chrono::steady_clock;

struct ReportReader::Run {
    QVector<Stream> streams;
    ReportCallback callback = nullptr;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
};

ReportReader::ReportReader(Reachable reachable)
    : m_reachable(std::move(reachable))
{
}

ReportReader::~ReportReader()
{
    stop();
}

bool ReportReader::start(const QVector<Stream> &streams, ReportCallback callback)
{
    stop();
    auto run = std::make_shared<Run>();
    run->streams = streams;
    run->callback = callback;
    std::lock_guard<std::mutex> lock(m_mutex);
    try {
        m_thread = std::thread([run, reachable = m_reachable] { play(run, reachable); });
    } catch (const std::system_error &) {
        // Out of threads: no exception may cross into the host.
        return false;
    }
    m_run = run;
    return true;
}

void ReportReader::stop()
{
    std::shared_ptr<Run> run;
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        run = std::move(m_run);
        thread = std::move(m_thread);
    }
    if (run) {
        std::lock_guard<std::mutex> lock(run->mutex);
        run->stopping = true;
        run->wake.notify_all();
    }
    if (!thread.joinable())
        return;
    if (thread.get_id() == std::this_thread::get_id())
        thread.detach(); // called from the callback: the run ends when it returns
    else
        thread.join();
}

bool ReportReader::running() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_thread.joinable();
}

void ReportReader::play(const std::shared_ptr<Run> &run, const Reachable &reachable)
{
    struct Cursor {
        int next = 0;
        Clock::time_point due;
    };
    QVector<Cursor> cursors(run->streams.size());
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < run->streams.size(); ++i) {
        if (!run->streams.at(i).steps.isEmpty())
            cursors[i].due = start + std::chrono::milliseconds(run->streams.at(i).steps.at(0).delayMs);
        else
            cursors[i].next = -1;
    }

    for (;;) {
        int soonest = -1;
        for (int i = 0; i < cursors.size(); ++i) {
            if (cursors.at(i).next >= 0 && (soonest < 0 || cursors.at(i).due < cursors.at(soonest).due))
                soonest = i;
        }
        {
            std::unique_lock<std::mutex> lock(run->mutex);
            if (soonest < 0) {
                // Every script has ended: wait to be stopped.
                run->wake.wait(lock, [&] { return run->stopping; });
                return;
            }
            const Clock::time_point due = cursors.at(soonest).due;
            if (run->wake.wait_until(lock, due, [&] { return run->stopping; }))
                return;
        }

        const Stream &stream = run->streams.at(soonest);
        Cursor &cursor = cursors[soonest];
        QByteArray report = stream.steps.at(cursor.next).bytes;
        if (reachable(stream.path))
            run->callback(reinterpret_cast<unsigned char *>(report.data()), static_cast<unsigned int>(report.size()));

        ++cursor.next;
        if (cursor.next >= stream.steps.size()) {
            if (!stream.loop) {
                cursor.next = -1;
                continue;
            }
            cursor.next = 0;
        }
        // A looping script waits at least 1 ms a step so it cannot spin.
        const int delay = stream.steps.at(cursor.next).delayMs;
        cursor.due += std::chrono::milliseconds(stream.loop ? qMax(1, delay) : delay);
    }
}

} // namespace emulator
