#pragma once

// What the music tests share: sound files written in the test, a clock the
// test moves, audio outputs around that clock, a device that fails, and a
// log file of the test's own.

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sndfile.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "audio_sink.h"
#include "logging.h"
#include "silent_clock_sink.h"
#include "track_player.h"

namespace MusicTest {

// Writes a stereo float WAV: sample(frame, channel) for every frame.
inline bool writeWav(const QString& path, int rate, qint64 frames,
                     const std::function<float(qint64, int)>& sample)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<float> data(size_t(frames) * 2);
    for (qint64 f = 0; f < frames; ++f) {
        data[size_t(f) * 2] = sample(f, 0);
        data[size_t(f) * 2 + 1] = sample(f, 1);
    }
    const bool written = sf_writef_float(file, data.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}

// A sine exactly on harmonic k of a 512-point FFT, whatever the rate.
inline float harmonicSine(int k, qint64 frame, double amplitude)
{
    return float(amplitude * std::sin(2.0 * M_PI * k * double(frame) / 512.0));
}

// A clock the test moves by hand, in microseconds.
struct ManualClock {
    std::shared_ptr<qint64> now = std::make_shared<qint64>(0);
    void advanceMs(qint64 ms) { *now += ms * 1000; }
    SilentClockSink::Clock clock() const
    {
        auto time = now;
        return [time] { return *time; };
    }
};

// A device output that never starts (no sound card).
struct NoDevice : AudioSink {
    bool start(PcmSource*, int) override { return false; }
    void suspend() override {}
    void resume() override {}
    qint64 playedFrames() override { return 0; }
    bool drained() override { return false; }
    bool failed() const override { return false; }
    const char* kind() const override { return "audio device"; }
};

// Outputs without a device: the silent clock runs on clock.
inline AudioOutputs silentOutputs(const ManualClock& clock)
{
    AudioOutputs outputs;
    outputs.device = [] { return std::make_unique<NoDevice>(); };
    const SilentClockSink::Clock time = clock.clock();
    outputs.silent = [time] { return std::make_unique<SilentClockSink>(time); };
    return outputs;
}

// The log of one test, in a temporary folder.
struct TestLog {
    QTemporaryDir dir;
    TestLog() { Logger::setFilePath(dir.filePath("app.log")); }
    ~TestLog() { Logger::setFilePath(QString()); }
    QString text() const
    {
        QFile file(dir.filePath("app.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

} // namespace MusicTest
