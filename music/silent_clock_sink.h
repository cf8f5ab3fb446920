#pragma once

#include <functional>

#include "audio_sink.h"

// Playback without an audio device: frames are taken from the source at
// real-time rate and nothing is heard, so the analysis runs as it would
// with sound (CI, a headless machine, a server without a sound card). The
// clock advances only when asked (the analysis asks 50 times a second), and
// never beyond what the decoder has delivered, like a device that waits
// for data.
class SilentClockSink : public AudioSink
{
public:
    using Clock = std::function<qint64()>;   // monotonic microseconds

    // clock: the time source; by default the system's monotonic clock.
    explicit SilentClockSink(Clock clock = Clock());

    bool start(PcmSource* source, int sampleRate) override;
    void suspend() override;
    void resume() override;
    qint64 playedFrames() override;
    bool drained() override;
    bool failed() const override { return false; }
    const char* kind() const override { return "silent clock"; }

    static Clock systemClock();

private:
    void advance();

    Clock m_clock;
    PcmSource* m_source = nullptr;
    int m_rate = 0;
    bool m_running = false;
    qint64 m_last = 0;        // clock reading of the last advance
    qint64 m_pending = 0;     // microseconds x rate not yet turned into whole frames
    qint64 m_played = 0;
};
