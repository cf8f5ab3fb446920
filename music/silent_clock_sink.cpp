#include "silent_clock_sink.h"

#include <QElapsedTimer>

SilentClockSink::Clock SilentClockSink::systemClock()
{
    return [] {
        static QElapsedTimer timer = [] {
            QElapsedTimer t;
            t.start();
            return t;
        }();
        return timer.nsecsElapsed() / 1000;
    };
}

SilentClockSink::SilentClockSink(Clock clock)
    : m_clock(clock ? std::move(clock) : systemClock())
{
}

bool SilentClockSink::start(PcmSource* source, int sampleRate)
{
    if (!source || sampleRate <= 0)
        return false;
    m_source = source;
    m_rate = sampleRate;
    m_played = 0;
    m_pending = 0;
    m_last = m_clock();
    m_running = true;
    return true;
}

void SilentClockSink::advance()
{
    if (!m_running || !m_source)
        return;
    const qint64 now = m_clock();
    m_pending += qMax<qint64>(0, now - m_last) * m_rate;
    m_last = now;
    const qint64 due = m_pending / 1000000;
    if (due <= 0)
        return;
    const qint64 taken = m_source->skipFrames(due);
    m_played += taken;
    // Time the source could not fill passes unheard, as it would on a
    // device waiting for data; the part of a frame left over is kept.
    m_pending = taken < due ? 0 : m_pending - due * 1000000;
}

void SilentClockSink::suspend()
{
    advance();
    m_running = false;
}

void SilentClockSink::resume()
{
    if (m_running || !m_source)
        return;
    m_last = m_clock();
    m_running = true;
}

qint64 SilentClockSink::playedFrames()
{
    advance();
    return m_played;
}

bool SilentClockSink::drained()
{
    advance();
    return m_source && m_source->exhausted();
}
