#pragma once

#include <QString>

// The waits of the firmware update (10 s for the boot loader to appear, 1 s
// after erasing and after writing, 20 ms per block, 100 ms and 3 s around
// the finish) all go through one clock, so that tests replace it and demos
// shorten it.
class FirmwareClock
{
public:
    virtual ~FirmwareClock() = default;
    // Blocks the calling thread for about ms milliseconds.
    virtual void wait(int ms) = 0;
};

// Sleeps for the waits, each multiplied by a factor between 0 and 1: the
// environment variable ORVANTA_FIRMWARE_WAIT_SCALE when it holds one (for
// demos and end-to-end runs against the emulator), else 1.
class SleepingFirmwareClock : public FirmwareClock
{
public:
    SleepingFirmwareClock();
    explicit SleepingFirmwareClock(double scale);

    // The factor ORVANTA_FIRMWARE_WAIT_SCALE asks for; 1 when it is unset
    // or not a number between 0 and 1.
    static double scaleFromEnvironment();

    double scale() const { return m_scale; }
    void wait(int ms) override;

private:
    double m_scale = 1.0;
};
