// Benchmark, not a test: the time from a mouse stroke reaching the input
// filter to the first report handed to the virtual device, in process,
// over 10 000 strokes (a configured right button, pressed and released in
// turn, playing a key with play type 0). Beside it, as the floor any
// design with a filter thread and an executor thread stands on, the same
// measure for a bare hand-over between two threads.
//
//   bench_remap_latency [--strokes N] [--log-severity=disable]
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include "input_automation.h"
#include "input_filter_driver.h"
#include "logging.h"
#include "virtual_hid_client.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A filter fed by the benchmark: each stroke carries the time it was fed.
class FedFilter : public InputFilterDriver
{
public:
    bool open() override { return true; }
    void setMouseFilter(quint16) override {}
    std::optional<InputStroke> receive() override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ready.wait(lock, [this] { return m_stop || !m_strokes.empty(); });
        if (m_stop)
            return std::nullopt;
        const InputStroke stroke = m_strokes.front();
        m_strokes.pop_front();
        return stroke;
    }
    void send(const InputStroke&) override {}
    void interrupt() override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_ready.notify_all();
    }
    void close() override {}

    void feed(quint16 state)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_strokes.push_back(InputStroke{11, state, 0});
        m_ready.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<InputStroke> m_strokes;
    bool m_stop = false;
};

// A virtual device that notes when reports come.
class TimingClient : public VirtualHidClient
{
public:
    // Waits for count reports since the last call; the time of the first.
    Clock::time_point waitFor(int count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_more.wait(lock, [&] { return int(m_times.size()) >= count; });
        const Clock::time_point first = m_times.front();
        m_times.clear();
        return first;
    }

protected:
    bool open() override { return true; }
    void close() override {}
    bool writeReport(const QByteArray&) override
    {
        const Clock::time_point now = Clock::now();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_times.push_back(now);
        m_more.notify_all();
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_more;
    std::vector<Clock::time_point> m_times;
};

struct Figures {
    double median = 0;
    double p99 = 0;
};

Figures figures(std::vector<double> micros)
{
    std::sort(micros.begin(), micros.end());
    Figures f;
    f.median = micros[micros.size() / 2];
    f.p99 = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    return f;
}

double microsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::micro>(to - from).count();
}

std::vector<double> remapLatencies(int strokes)
{
    auto* filter = new FedFilter;
    auto* client = new TimingClient;
    InputAutomation::Parts parts;
    parts.client.reset(client);
    parts.filterDriver.reset(filter);
    InputAutomation automation(std::move(parts));
    automation.connectVMulti();
    automation.startFilter();
    automation.refreshVirtualDrive(QStringLiteral(
        R"(<map><k flag="10" scancode="4" type="Keyboard" playtype="0" playcount="1" playdelay="0" playauxiliary="0"><t value="A"/></k></map>)"));

    std::vector<double> micros;
    micros.reserve(size_t(strokes));
    for (int i = 0; i < strokes; ++i) {
        const Clock::time_point fed = Clock::now();
        filter->feed(i % 2 ? 0x008 : 0x004);
        // Each stroke gives its key report and the all-zero report of the
        // task's end; the next stroke comes after both.
        micros.push_back(microsBetween(fed, client->waitFor(2)));
    }
    return micros;
}

std::vector<double> handOverLatencies(int strokes)
{
    std::mutex mutex;
    std::condition_variable toWorker;
    std::condition_variable toMain;
    int sent = 0;
    int done = 0;
    bool stop = false;
    Clock::time_point reached;
    std::thread worker([&] {
        std::unique_lock<std::mutex> lock(mutex);
        while (true) {
            toWorker.wait(lock, [&] { return stop || sent > done; });
            if (stop)
                return;
            reached = Clock::now();
            ++done;
            toMain.notify_all();
        }
    });
    std::vector<double> micros;
    micros.reserve(size_t(strokes));
    for (int i = 0; i < strokes; ++i) {
        const Clock::time_point fed = Clock::now();
        std::unique_lock<std::mutex> lock(mutex);
        ++sent;
        toWorker.notify_all();
        toMain.wait(lock, [&] { return done == sent; });
        micros.push_back(microsBetween(fed, reached));
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
        toWorker.notify_all();
    }
    worker.join();
    return micros;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    int strokes = 10000;
    const QStringList args = app.arguments();
    const int index = args.indexOf(QStringLiteral("--strokes"));
    if (index > 0 && index + 1 < args.size())
        strokes = qMax(2, args.at(index + 1).toInt());

    // The executor logs each task as the program does; here into a folder
    // of the benchmark's own.
    Logger::applyCommandLine(app.arguments());
    QTemporaryDir logs;
    Logger::setFilePath(logs.filePath(QStringLiteral("app.log")));

    const Figures remap = figures(remapLatencies(strokes));
    const Figures reference = figures(handOverLatencies(strokes));
    out << "strokes: " << strokes << "\n";
    out << QStringLiteral("stroke to first report:       median %1 us, p99 %2 us\n")
               .arg(remap.median, 0, 'f', 1)
               .arg(remap.p99, 0, 'f', 1);
    out << QStringLiteral("reference, bare thread hand-over: median %1 us, p99 %2 us\n")
               .arg(reference.median, 0, 'f', 1)
               .arg(reference.p99, 0, 'f', 1);
    return 0;
}
