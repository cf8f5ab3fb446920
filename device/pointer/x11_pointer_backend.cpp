#include "x11_pointer_backend.h"

#include <cmath>

namespace {

// Far beyond any acceleration a desktop offers; keeps the arithmetic small.
const int kLevelMax = 1000;

} // namespace

X11PointerBackend::X11PointerBackend(std::unique_ptr<X11PointerControl> control)
    : m_control(std::move(control))
{
}

std::optional<MouseAcceleration> X11PointerBackend::readAcceleration(const std::optional<MouseAcceleration>&)
{
    PointerControl control;
    if (!m_control->read(&control) || control.numerator < 0 || control.denominator <= 0)
        return std::nullopt;
    const double factor = double(control.numerator) / control.denominator;
    MouseAcceleration value;
    value.threshold1 = qMax(0, control.threshold);
    value.acceleration = factor <= 1.0 ? 0 : int(qMin<double>(kLevelMax, std::lround(factor - 1.0)));
    return value;
}

bool X11PointerBackend::writeAcceleration(const MouseAcceleration& value)
{
    PointerControl control;
    control.numerator = value.acceleration > 0 ? value.acceleration + 1 : 1;
    control.denominator = 1;
    control.threshold = qMax(0, value.threshold1);
    return m_control->change(control);
}
