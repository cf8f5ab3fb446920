#pragma once

#include <QtGlobal>

class PcmRing;
class QThread;
class SoundFile;

// Decodes a sound file into the ring on a thread of its own, so that the
// GUI thread never waits for the decoder: it reads ahead as far as the
// ring lets it, waits for the output to take frames, and marks the end of
// the track when the file has no more. While it runs, the file and the
// ring belong to it; stop() hands them back.
class TrackDecoder
{
public:
    static constexpr qint64 kChunkFrames = 4096;

    TrackDecoder(SoundFile& file, PcmRing& ring);
    ~TrackDecoder();
    TrackDecoder(const TrackDecoder&) = delete;
    TrackDecoder& operator=(const TrackDecoder&) = delete;

    // Starts decoding from the file's current position into the ring
    // (which the caller has reset to that frame).
    void start();
    // Stops the thread and waits for it.
    void stop();
    bool isRunning() const;

private:
    SoundFile& m_file;
    PcmRing& m_ring;
    QThread* m_thread = nullptr;
};
