#include "sound_file.h"

#include <QFile>

#include <sndfile.h>

#include <algorithm>
#include <cmath>

struct SoundFile::Handle {
    SNDFILE* file = nullptr;
    ~Handle()
    {
        if (file)
            sf_close(file);
    }
};

namespace {

float cleanSample(float sample)
{
    if (!std::isfinite(sample))
        return 0.0f;
    return std::clamp(sample, -1.0f, 1.0f);
}

} // namespace

SoundFile::SoundFile() = default;
SoundFile::~SoundFile() = default;

bool SoundFile::open(const QString& path, QString* error)
{
    close();
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file) {
        if (error)
            *error = QString::fromLocal8Bit(sf_strerror(nullptr));
        return false;
    }
    auto handle = std::make_unique<Handle>();
    handle->file = file;
    if (info.samplerate <= 0 || info.samplerate > kMaxSampleRate) {
        if (error)
            *error = QStringLiteral("unsupported sample rate %1").arg(info.samplerate);
        return false;
    }
    if (info.channels <= 0 || info.channels > kMaxChannels) {
        if (error)
            *error = QStringLiteral("unsupported channel count %1").arg(info.channels);
        return false;
    }
    // Integer samples read as floats scaled to +-1.0.
    sf_command(file, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    m_handle = std::move(handle);
    m_rate = info.samplerate;
    m_channels = info.channels;
    return true;
}

void SoundFile::close()
{
    m_handle.reset();
    m_rate = 0;
    m_channels = 0;
    m_interleaved.clear();
}

bool SoundFile::isOpen() const
{
    return m_handle != nullptr;
}

qint64 SoundFile::readStereo(float* stereo, qint64 frames)
{
    if (!m_handle || frames <= 0)
        return 0;
    const size_t needed = size_t(frames) * size_t(m_channels);
    if (m_interleaved.size() < needed)
        m_interleaved.resize(needed);
    const sf_count_t read = sf_readf_float(m_handle->file, m_interleaved.data(), frames);
    if (read <= 0)
        return 0;
    for (sf_count_t i = 0; i < read; ++i) {
        const float* frame = &m_interleaved[size_t(i) * size_t(m_channels)];
        stereo[i * 2] = cleanSample(frame[0]);
        stereo[i * 2 + 1] = cleanSample(m_channels > 1 ? frame[1] : frame[0]);
    }
    return read;
}

bool SoundFile::seek(qint64 frame)
{
    if (!m_handle)
        return false;
    return sf_seek(m_handle->file, std::max<qint64>(0, frame), SEEK_SET) >= 0;
}
