#pragma once

#include <QList>
#include <QString>

class DriverLookup;

// One recorded macro step: its type ("keyDown", "keyUp", "mDown", "mUp",
// "delay", "moveXY", "ScrollDown", "ScrollUp") and its value (a key or
// button code, milliseconds in decimal, or "x,y" in hexadecimal).
struct MacroStep
{
    QString type;
    QString value;

    bool operator==(const MacroStep& other) const { return type == other.type && value == other.value; }
};

using MacroSteps = QList<MacroStep>;

// The longest pause one delay record can hold (two bytes).
constexpr quint32 kMaxMacroPause = 0xFFFF;

// Parses the page's step list, steps written as label(value) one after the
// other with optional blanks around label and value. Key names are looked up
// in the Driver definition in use with the left-hand modifier names (the
// lookup's macro-encoding mode is on for the lookup and restored after).
// Pieces without "(" or starting with "(" and steps whose label or value is
// not recognised are skipped. The whole list is refused (ok false, empty
// result) when a step is not closed by ")", a pause is not a decimal number,
// or a move is not two hexadecimal numbers.
MacroSteps parseMacroSteps(DriverLookup& lookup, const QString& task, bool* ok = nullptr);

// Decimal milliseconds of a "delay" step; false when the text is not a
// non-negative decimal number.
bool macroPauseValue(const QString& text, quint64* milliseconds);

// The x and y of a "moveXY" step, hexadecimal, separated by ",".
bool macroMoveValue(const QString& text, quint32* x, quint32* y);
