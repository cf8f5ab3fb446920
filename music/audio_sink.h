#pragma once

#include <QtGlobal>

// What an audio output plays from: the decoded track as stereo frames
// (interleaved left, right floats, full scale +-1.0), taken in order.
// Implementations never block: what is not decoded yet is simply not
// there.
class PcmSource
{
public:
    virtual ~PcmSource() = default;
    // Copies up to maxFrames frames following the last ones taken into
    // stereo (2 * maxFrames floats); answers how many.
    virtual qint64 takeFrames(float* stereo, qint64 maxFrames) = 0;
    // Takes up to maxFrames frames without copying them; answers how many.
    virtual qint64 skipFrames(qint64 maxFrames) = 0;
    // Every frame of the track has been taken.
    virtual bool exhausted() const = 0;
};

// Where the decoded track is heard, and the clock of what has been heard:
// the analysis follows playedFrames(), so lighting and sound stay
// together. A sound card's output is one implementation, the silent clock
// (real-time rate, no device) another; tests drive a clock of their own.
//
// Used from the thread that created it.
class AudioSink
{
public:
    virtual ~AudioSink() = default;
    // Starts taking frames from source at sampleRate frames a second. False
    // when the output cannot start (then nothing was taken).
    virtual bool start(PcmSource* source, int sampleRate) = 0;
    virtual void suspend() = 0;
    virtual void resume() = 0;
    // Frames heard since start(); never decreases, stands still while
    // suspended and while the source has nothing to give.
    virtual qint64 playedFrames() = 0;
    // Everything taken has been heard and the source is exhausted.
    virtual bool drained() = 0;
    // The output broke down after starting (a device that went away); the
    // player then carries on with the silent clock.
    virtual bool failed() const = 0;
    // A short name for the log ("audio device", "silent clock").
    virtual const char* kind() const = 0;
};
