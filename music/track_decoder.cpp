#include "track_decoder.h"

#include <QThread>

#include <vector>

#include "pcm_ring.h"
#include "sound_file.h"

TrackDecoder::TrackDecoder(SoundFile& file, PcmRing& ring)
    : m_file(file)
    , m_ring(ring)
{
}

TrackDecoder::~TrackDecoder()
{
    stop();
}

void TrackDecoder::start()
{
    stop();
    SoundFile* file = &m_file;
    PcmRing* ring = &m_ring;
    m_thread = QThread::create([file, ring] {
        std::vector<float> chunk(size_t(kChunkFrames) * 2);
        while (true) {
            const qint64 frames = file->readStereo(chunk.data(), kChunkFrames);
            if (frames <= 0) {
                ring->finish();
                return;
            }
            if (!ring->write(chunk.data(), frames))
                return;   // cancelled
        }
    });
    m_thread->setObjectName(QStringLiteral("track decoder"));
    m_thread->start();
}

void TrackDecoder::stop()
{
    if (!m_thread)
        return;
    m_ring.cancel();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

bool TrackDecoder::isRunning() const
{
    return m_thread && m_thread->isRunning();
}
