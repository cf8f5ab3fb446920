#include "firmware_clock.h"

#include <QThread>

#include "logging.h"

#include <cmath>

SleepingFirmwareClock::SleepingFirmwareClock()
    : m_scale(scaleFromEnvironment())
{
}

SleepingFirmwareClock::SleepingFirmwareClock(double scale)
    : m_scale(scale >= 0.0 && scale <= 1.0 ? scale : 1.0)
{
}

double SleepingFirmwareClock::scaleFromEnvironment()
{
    const QString text = qEnvironmentVariable("ORVANTA_FIRMWARE_WAIT_SCALE");
    if (text.isEmpty())
        return 1.0;
    bool ok = false;
    const double scale = text.toDouble(&ok);
    if (!ok || !std::isfinite(scale) || scale < 0.0 || scale > 1.0) {
        LOG_WARNING(QStringLiteral("Update Error: ORVANTA_FIRMWARE_WAIT_SCALE '%1' is not a factor between 0 and 1;"
                                   " the firmware waits keep their length")
                        .arg(text));
        return 1.0;
    }
    return scale;
}

void SleepingFirmwareClock::wait(int ms)
{
    const long scaled = std::lround(ms * m_scale);
    if (scaled > 0)
        QThread::msleep(static_cast<unsigned long>(scaled));
}
