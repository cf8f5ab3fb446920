#include "frame_pacer.h"

FramePacer::FramePacer(std::chrono::milliseconds interval, Clock clock, Sleep sleep)
    : m_interval(interval), m_clock(std::move(clock)), m_sleep(std::move(sleep))
{
}

void FramePacer::pace()
{
    if (m_sentBefore) {
        const auto due = m_last + m_interval;
        const auto now = m_clock();
        if (now < due)
            m_sleep(std::chrono::ceil<std::chrono::milliseconds>(due - now));
    }
    m_last = m_clock();
    m_sentBefore = true;
}
