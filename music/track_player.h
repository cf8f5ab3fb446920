#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "audio_sink.h"
#include "pcm_ring.h"
#include "sound_file.h"
#include "track_decoder.h"

// Where a player's sound goes: the audio device when there is one that
// plays, else the silent clock.
struct AudioOutputs {
    using Factory = std::function<std::unique_ptr<AudioSink>()>;
    Factory device;   // may be empty or give a sink that does not start
    Factory silent;   // must give a sink that starts

    // The default output device through Qt Multimedia, and the silent
    // clock on the system's monotonic clock.
    static AudioOutputs system();
};

// Plays one sound file for the music analysis: the file is decoded ahead
// on a worker (TrackDecoder) into a ring, an output takes it from there,
// and the position is what the output has played, so the analysis of the
// frames at the position matches what is heard. Where no audio device
// plays, the silent clock carries playback at real-time rate; one log line
// says so.
//
// Used from one thread (the GUI thread); only the decoder runs elsewhere.
class TrackPlayer
{
public:
    explicit TrackPlayer(AudioOutputs outputs = AudioOutputs::system());
    ~TrackPlayer();
    TrackPlayer(const TrackPlayer&) = delete;
    TrackPlayer& operator=(const TrackPlayer&) = delete;

    // Closes what was open, then opens path and starts decoding ahead.
    // false with the decoder's text in error when the file cannot be read.
    bool open(const QString& path, QString* error = nullptr);
    void close();
    bool isOpen() const { return m_state != Closed; }

    // Plays from the position; after stop() or the end, from the start.
    // false when nothing is open.
    bool play();
    void pause();
    // Stops and goes back to the start.
    void stop();
    // Moves to ms from the start (held to the track); playing carries on
    // from there.
    bool seek(qint64 ms);

    // Playing, and the end of the track not heard yet. Reaching the end
    // stops the output; the position stays at the end.
    bool isPlaying();
    // Frames heard since the start of the track.
    qint64 positionFrames();
    qint64 positionMs();
    int sampleRate() const { return m_file.sampleRate(); }
    // The count frames heard last before frame end, as separate channels.
    void window(qint64 end, int count, float* left, float* right) const;

    // Frames decoded from the start of the track so far.
    qint64 decodedFrames() const { return m_ring.writeFrame(); }
    // The length of the track in frames once the decoder reached its end,
    // else -1.
    qint64 trackFrames() const { return m_ring.endFrame(); }
    // The output in use is the silent clock.
    bool onSilentClock() const { return m_onSilentClock; }

private:
    enum State { Closed, Stopped, Playing, Paused, Ended };

    void restartAt(qint64 frame);
    void startOutput();
    void checkOutput();

    AudioOutputs m_outputs;
    SoundFile m_file;
    PcmRing m_ring;
    TrackDecoder m_decoder;
    std::unique_ptr<AudioSink> m_sink;
    State m_state = Closed;
    qint64 m_base = 0;   // the frame the output started at
    bool m_onSilentClock = false;
    bool m_toldSilent = false;
};
