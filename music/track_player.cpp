#include "track_player.h"

#include "logging.h"
#include "qt_audio_sink.h"
#include "silent_clock_sink.h"

namespace {

// Frames decoded ahead of the output and kept behind it: two seconds each
// at 48 kHz, a quarter of a second at the highest rate accepted, which is
// still more than the output's buffer holds.
constexpr qint64 kAheadFrames = 2 * 48000;
constexpr qint64 kHistoryFrames = 2 * 48000;

} // namespace

AudioOutputs AudioOutputs::system()
{
    AudioOutputs outputs;
    outputs.device = [] { return std::make_unique<QtAudioSink>(); };
    outputs.silent = [] { return std::make_unique<SilentClockSink>(); };
    return outputs;
}

TrackPlayer::TrackPlayer(AudioOutputs outputs)
    : m_outputs(std::move(outputs))
    , m_ring(kAheadFrames, kHistoryFrames)
    , m_decoder(m_file, m_ring)
{
    if (!m_outputs.silent)
        m_outputs.silent = [] { return std::make_unique<SilentClockSink>(); };
}

TrackPlayer::~TrackPlayer()
{
    close();
}

bool TrackPlayer::open(const QString& path, QString* error)
{
    close();
    if (!m_file.open(path, error))
        return false;
    m_state = Stopped;
    restartAt(0);
    return true;
}

void TrackPlayer::close()
{
    m_sink.reset();
    m_decoder.stop();
    m_file.close();
    m_ring.reset(0);
    m_base = 0;
    m_state = Closed;
}

void TrackPlayer::restartAt(qint64 frame)
{
    m_sink.reset();
    m_decoder.stop();
    if (!m_file.seek(frame)) {
        LOG_WARNING(QStringLiteral("Application Error: cannot seek the music track to frame %1").arg(frame));
        frame = 0;
        m_file.seek(0);
    }
    m_ring.reset(frame);
    m_base = frame;
    m_decoder.start();
}

void TrackPlayer::startOutput()
{
    m_sink.reset();
    if (m_outputs.device) {
        std::unique_ptr<AudioSink> device = m_outputs.device();
        if (device && device->start(&m_ring, m_file.sampleRate())) {
            m_sink = std::move(device);
            m_onSilentClock = false;
            return;
        }
    }
    if (!m_toldSilent) {
        LOG_INFO(QStringLiteral("Application Info: no audio output device plays; music runs on a silent clock"));
        m_toldSilent = true;
    }
    m_sink = m_outputs.silent();
    m_sink->start(&m_ring, m_file.sampleRate());
    m_onSilentClock = true;
}

// A device that broke down mid-track: the silent clock carries on from
// the frames the device had taken.
void TrackPlayer::checkOutput()
{
    if (!m_sink || !m_sink->failed())
        return;
    LOG_WARNING(QStringLiteral("Application Error: the %1 stopped; music carries on on a silent clock")
                    .arg(QLatin1String(m_sink->kind())));
    m_toldSilent = true;
    m_base = m_ring.readFrame();
    m_sink = m_outputs.silent();
    m_sink->start(&m_ring, m_file.sampleRate());
    m_onSilentClock = true;
}

bool TrackPlayer::play()
{
    switch (m_state) {
    case Closed:
        return false;
    case Playing:
        return true;
    case Paused:
        if (m_sink)
            m_sink->resume();
        else
            startOutput();
        break;
    case Ended:
        restartAt(0);
        startOutput();
        break;
    case Stopped:
        startOutput();
        break;
    }
    m_state = Playing;
    return true;
}

void TrackPlayer::pause()
{
    if (m_state != Playing)
        return;
    if (m_sink)
        m_sink->suspend();
    m_state = Paused;
}

void TrackPlayer::stop()
{
    if (m_state == Closed)
        return;
    restartAt(0);
    m_state = Stopped;
}

bool TrackPlayer::seek(qint64 ms)
{
    if (m_state == Closed)
        return false;
    qint64 frame = qMax<qint64>(0, ms) * m_file.sampleRate() / 1000;
    const qint64 end = m_ring.endFrame();
    if (end >= 0)
        frame = qMin(frame, end);
    const bool playing = m_state == Playing || m_state == Ended;
    restartAt(frame);
    if (playing) {
        startOutput();
        m_state = Playing;
    } else if (m_state == Paused) {
        // The output starts again at play().
    } else {
        m_state = Stopped;
    }
    return true;
}

qint64 TrackPlayer::positionFrames()
{
    checkOutput();
    return m_base + (m_sink ? m_sink->playedFrames() : 0);
}

qint64 TrackPlayer::positionMs()
{
    const int rate = m_file.sampleRate();
    return rate > 0 ? positionFrames() * 1000 / rate : 0;
}

bool TrackPlayer::isPlaying()
{
    if (m_state != Playing)
        return false;
    const qint64 position = positionFrames();
    const qint64 end = m_ring.endFrame();
    if (end >= 0 && (position >= end || (m_sink && m_sink->drained()))) {
        m_sink.reset();
        m_base = end;
        m_state = Ended;
        return false;
    }
    return true;
}

void TrackPlayer::window(qint64 end, int count, float* left, float* right) const
{
    m_ring.copyWindow(end, count, left, right);
}
