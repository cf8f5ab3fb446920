#pragma once

#include <QString>

#include <memory>
#include <vector>

// A sound file read through libsndfile (WAV, FLAC, Ogg Vorbis, Opus, MP3
// and the other formats it knows, detected from the content) as stereo
// frames: a mono track is heard on both sides, a track of more channels
// by its first two. Samples come as floats, full scale +-1.0; samples that
// are not finite read as 0 and louder ones are clipped, so a damaged or
// hostile float file cannot upset what plays or analyses them.
class SoundFile
{
public:
    // What this program agrees to play; anything else is refused at open.
    static constexpr int kMaxSampleRate = 384000;
    static constexpr int kMaxChannels = 64;

    SoundFile();
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    // Opens path for reading. On failure the file is closed and error
    // holds the decoder's text ("System error : No such file or
    // directory.").
    bool open(const QString& path, QString* error = nullptr);
    void close();
    bool isOpen() const;

    int sampleRate() const { return m_rate; }
    int channels() const { return m_channels; }

    // Reads up to frames frames into stereo (2 * frames floats); 0 at the
    // end of the track or on a decoding error.
    qint64 readStereo(float* stereo, qint64 frames);
    // Moves to frame (from the start). False when the file cannot seek.
    bool seek(qint64 frame);

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    int m_rate = 0;
    int m_channels = 0;
    std::vector<float> m_interleaved;
};
