#pragma once

#include <chrono>
#include <functional>

// Keeps frames to one device at least a minimum interval apart: W1 mice
// silently drop a command that follows the last one closer than 300 ms.
// The clock and the wait are handed in, so tests run on a fake clock.
class FramePacer
{
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    using Sleep = std::function<void(std::chrono::milliseconds)>;

    static constexpr std::chrono::milliseconds kW1Interval{300};

    FramePacer(std::chrono::milliseconds interval, Clock clock, Sleep sleep);

    // Waits until a frame may be sent, and counts it as sent now.
    void pace();
    std::chrono::steady_clock::time_point now() const { return m_clock(); }

private:
    std::chrono::milliseconds m_interval;
    Clock m_clock;
    Sleep m_sleep;
    bool m_sentBefore = false;
    std::chrono::steady_clock::time_point m_last;
};
