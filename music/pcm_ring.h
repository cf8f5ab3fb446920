#pragma once

#include <QMutex>
#include <QWaitCondition>

#include <vector>

#include "audio_sink.h"

// The decoded track between the decoder thread and the player: a ring of
// stereo frames counted from the start of the track. The decoder writes up
// to `ahead` frames beyond what the output has taken and then waits; the
// ring keeps `history` frames behind that point, so that the analysis can
// read the frames heard last while the output's buffer still holds newer
// ones. Memory stays the same whatever the track's length.
//
// Thread-safe: one writer (the decoder), readers on the player's thread.
class PcmRing : public PcmSource
{
public:
    PcmRing(qint64 aheadFrames, qint64 historyFrames);

    // Forgets every frame and starts over at frame; clears cancel() and
    // finish().
    void reset(qint64 frame);

    // Decoder side. Blocks until every frame is in or cancel() is called;
    // false when cancelled.
    bool write(const float* stereo, qint64 frames);
    // No frames come after those written.
    void finish();
    // Wakes a waiting writer, whose write() then fails.
    void cancel();

    // PcmSource.
    qint64 takeFrames(float* stereo, qint64 maxFrames) override;
    qint64 skipFrames(qint64 maxFrames) override;
    bool exhausted() const override;

    // The count frames before endFrame, as separate channels; frames the
    // ring does not hold (before the track, not decoded yet, or gone)
    // read as 0.
    void copyWindow(qint64 endFrame, int count, float* left, float* right) const;

    // The end of the track once the decoder reached it, else -1.
    qint64 endFrame() const;
    // The next frame an output takes.
    qint64 readFrame() const;
    qint64 writeFrame() const;

private:
    qint64 takeLocked(float* stereo, qint64 maxFrames);

    mutable QMutex m_mutex;
    QWaitCondition m_space;
    std::vector<float> m_data;   // 2 floats a frame
    qint64 m_capacity;
    qint64 m_ahead;
    qint64 m_start = 0;   // the first frame written since reset
    qint64 m_write = 0;   // the next frame written
    qint64 m_read = 0;    // the next frame taken
    bool m_finished = false;
    bool m_cancelled = false;
};
