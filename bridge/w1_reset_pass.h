#pragma once

#include "device_discovery.h"

#include <QStringList>

// The periodic reset of the W1 family. The main window's 20 ms timer ticks
// it; one tick in 502 is a pass over the devices whose family asks for a
// periodic reset (the W1 family, keys 25A7FA00 to 25A7FAFF), each of which
// gets the reset write that the page's "RestDevice" gives that family.
// About every 10 seconds.
class W1ResetPass
{
public:
    static constexpr int kIdleTicks = 501;

    // Counts one tick; true when this tick is a pass (the counter then
    // starts again).
    bool tick();
    // The ticks still to come until the next pass (that tick included).
    int ticksToNextPass() const { return kIdleTicks + 1 - m_counter; }

    // The keys of the map whose family (by their "Version") is reset
    // periodically.
    static QStringList w1Keys(const DeviceMap& devices);

private:
    int m_counter = 0;
};
