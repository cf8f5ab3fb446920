#include "pcm_stream_device.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

#include "audio_sink.h"

namespace {

qint16 toInt16(float sample)
{
    // The source gives finite samples within +-1.0; clamp all the same.
    const float scaled = std::clamp(sample, -1.0f, 1.0f) * 32767.0f;
    return static_cast<qint16>(std::lrint(scaled));
}

} // namespace

PcmStreamDevice::PcmStreamDevice(PcmSource* source, QObject* parent)
    : QIODevice(parent)
    , m_source(source)
{
}

qint64 PcmStreamDevice::readData(char* data, qint64 maxSize)
{
    const qint64 wanted = maxSize / kBytesPerFrame;
    if (!m_source || wanted <= 0)
        return 0;
    if (m_frames.size() < size_t(wanted) * 2)
        m_frames.resize(size_t(wanted) * 2);
    const qint64 frames = m_source->takeFrames(m_frames.data(), wanted);
    for (qint64 i = 0; i < frames * 2; ++i)
        qToLittleEndian<qint16>(toInt16(m_frames[size_t(i)]), data + i * 2);
    return frames * kBytesPerFrame;
}

qint64 PcmStreamDevice::writeData(const char*, qint64)
{
    return -1;
}
