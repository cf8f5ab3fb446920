#pragma once

#include <memory>

#include "audio_sink.h"

class PcmStreamDevice;
class QAudioOutput;

// The sound card through Qt Multimedia: the default output device pulls
// 16-bit stereo at the track's rate from a PcmStreamDevice. What has been
// heard is the output's processed time less what still waits in its
// buffer. start() fails when there is no output device, the device does
// not take the format, or it does not open; an output that stops with an
// error later reports failed().
class QtAudioSink : public AudioSink
{
public:
    QtAudioSink();
    ~QtAudioSink() override;

    bool start(PcmSource* source, int sampleRate) override;
    void suspend() override;
    void resume() override;
    qint64 playedFrames() override;
    bool drained() override;
    bool failed() const override { return m_failed; }
    const char* kind() const override { return "audio device"; }

private:
    void release();

    std::unique_ptr<PcmStreamDevice> m_stream;
    std::unique_ptr<QAudioOutput> m_output;
    PcmSource* m_source = nullptr;
    int m_rate = 0;
    qint64 m_played = 0;
    bool m_failed = false;
};
