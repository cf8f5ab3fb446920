#pragma once

// The X server's core pointer control: the pointer moves numerator /
// denominator times as fast when it moves more than threshold pixels at
// once. Behind an interface so that tests can stand in for the X server;
// the real one is XlibPointerControl.
struct PointerControl {
    int numerator = 1;
    int denominator = 1;
    int threshold = 0;
};

class X11PointerControl
{
public:
    virtual ~X11PointerControl() = default;
    // False when the X server cannot be reached.
    virtual bool read(PointerControl* control) = 0;
    // False when the X server cannot be reached or refuses the values.
    virtual bool change(const PointerControl& control) = 0;
};
