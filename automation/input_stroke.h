#pragma once

#include <QtGlobal>

// The mouse-button states of a stroke: one bit per button going down or up.
namespace MouseState {
constexpr quint16 LeftDown = 0x001;
constexpr quint16 LeftUp = 0x002;
constexpr quint16 RightDown = 0x004;
constexpr quint16 RightUp = 0x008;
constexpr quint16 MiddleDown = 0x010;
constexpr quint16 MiddleUp = 0x020;
constexpr quint16 FourthDown = 0x040;   // back
constexpr quint16 FourthUp = 0x080;
constexpr quint16 FifthDown = 0x100;    // forward
constexpr quint16 FifthUp = 0x200;
constexpr quint16 Wheel = 0x400;
constexpr quint16 HorizontalWheel = 0x800;

// The strokes the remapping takes: right, middle, fourth and fifth button
// down and up. The left button, movement and the wheel always pass.
constexpr quint16 RemapFilter = 0x3FC;

inline bool isPress(quint16 state)
{
    return state == RightDown || state == MiddleDown || state == FourthDown || state == FifthDown;
}
inline bool isRelease(quint16 state)
{
    return state == RightUp || state == MiddleUp || state == FourthUp || state == FifthUp;
}
} // namespace MouseState

// One mouse stroke as an input filter delivers it.
struct InputStroke {
    int device = 0;        // the filter's number for the device it came from
    quint16 state = 0;     // one MouseState bit
    // What the filter needs to send the stroke on unchanged (for evdev: the
    // button's key code).
    quint16 code = 0;
};
