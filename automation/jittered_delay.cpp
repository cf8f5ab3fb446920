#include "jittered_delay.h"

#include <QTime>

#include <random>

int jitteredDelay(int milliseconds, int millisecondsSinceMidnight)
{
    if (milliseconds < 3)
        return milliseconds;
    std::minstd_rand generator(unsigned(millisecondsSinceMidnight / 1000));
    const int jitter = int(generator() % 3);
    return millisecondsSinceMidnight % 2 ? milliseconds - jitter : milliseconds + jitter;
}

int jitteredDelay(int milliseconds)
{
    const QTime now = QTime::currentTime();
    // An invalid clock counts as midnight.
    return jitteredDelay(milliseconds, now.isValid() ? now.msecsSinceStartOfDay() : 0);
}
