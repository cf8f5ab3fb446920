#include "pcm_ring.h"

#include <QMutexLocker>

#include <algorithm>
#include <cstring>

PcmRing::PcmRing(qint64 aheadFrames, qint64 historyFrames)
    : m_capacity(qMax<qint64>(1, aheadFrames) + qMax<qint64>(0, historyFrames))
    , m_ahead(qMax<qint64>(1, aheadFrames))
{
    m_data.assign(static_cast<size_t>(m_capacity) * 2, 0.0f);
}

void PcmRing::reset(qint64 frame)
{
    QMutexLocker lock(&m_mutex);
    m_start = m_write = m_read = qMax<qint64>(0, frame);
    m_finished = false;
    m_cancelled = false;
    m_space.wakeAll();
}

bool PcmRing::write(const float* stereo, qint64 frames)
{
    QMutexLocker lock(&m_mutex);
    while (frames > 0) {
        while (!m_cancelled && m_write - m_read >= m_ahead)
            m_space.wait(&m_mutex);
        if (m_cancelled)
            return false;
        qint64 room = m_read + m_ahead - m_write;
        while (room > 0 && frames > 0) {
            const qint64 slot = m_write % m_capacity;
            const qint64 run = std::min({room, frames, m_capacity - slot});
            std::memcpy(&m_data[size_t(slot) * 2], stereo, size_t(run) * 2 * sizeof(float));
            stereo += run * 2;
            frames -= run;
            room -= run;
            m_write += run;
        }
    }
    return true;
}

void PcmRing::finish()
{
    QMutexLocker lock(&m_mutex);
    m_finished = true;
}

void PcmRing::cancel()
{
    QMutexLocker lock(&m_mutex);
    m_cancelled = true;
    m_space.wakeAll();
}

qint64 PcmRing::takeLocked(float* stereo, qint64 maxFrames)
{
    const qint64 count = std::max<qint64>(0, std::min(maxFrames, m_write - m_read));
    if (stereo) {
        qint64 done = 0;
        while (done < count) {
            const qint64 slot = (m_read + done) % m_capacity;
            const qint64 run = std::min(count - done, m_capacity - slot);
            std::memcpy(stereo + done * 2, &m_data[size_t(slot) * 2], size_t(run) * 2 * sizeof(float));
            done += run;
        }
    }
    m_read += count;
    if (count > 0)
        m_space.wakeAll();
    return count;
}

qint64 PcmRing::takeFrames(float* stereo, qint64 maxFrames)
{
    QMutexLocker lock(&m_mutex);
    return takeLocked(stereo, maxFrames);
}

qint64 PcmRing::skipFrames(qint64 maxFrames)
{
    QMutexLocker lock(&m_mutex);
    return takeLocked(nullptr, maxFrames);
}

bool PcmRing::exhausted() const
{
    QMutexLocker lock(&m_mutex);
    return m_finished && m_read >= m_write;
}

void PcmRing::copyWindow(qint64 endFrame, int count, float* left, float* right) const
{
    QMutexLocker lock(&m_mutex);
    const qint64 oldest = std::max(m_start, m_write - m_capacity);
    const qint64 first = endFrame - count;
    for (int i = 0; i < count; ++i) {
        const qint64 frame = first + i;
        if (frame >= oldest && frame < m_write) {
            const size_t slot = size_t(frame % m_capacity) * 2;
            left[i] = m_data[slot];
            right[i] = m_data[slot + 1];
        } else {
            left[i] = 0.0f;
            right[i] = 0.0f;
        }
    }
}

qint64 PcmRing::endFrame() const
{
    QMutexLocker lock(&m_mutex);
    return m_finished ? m_write : -1;
}

qint64 PcmRing::readFrame() const
{
    QMutexLocker lock(&m_mutex);
    return m_read;
}

qint64 PcmRing::writeFrame() const
{
    QMutexLocker lock(&m_mutex);
    return m_write;
}
