#pragma once

#include <QString>
#include <QStringList>

// Byte templates of the composite assignment codes: hotkey, rapid fire and
// DPI stage. Every result is a byte list text whose items are hexadecimal
// with or without "0x" (the device functions read each item with base 16).
namespace AssignmentFormat {

// A decimal field held to 0..max: text that is no number counts as 0, as
// does a negative number; a larger number, however many digits it has,
// counts as max (never as some smaller value).
int heldDecimal(const QString& text, int max);

// Appends "0x00" to items until there are count of them; a longer list is
// returned as it is.
QStringList padWithZeros(QStringList items, int count);

// "0x02,<mask>,<key 1>,<key 2>" from codes joined by ",". Empty items are
// dropped; a single item is a key without modifier, so "0x00" goes in front;
// keys past the second are dropped.
QString formatHotKey(const QString& codes);

// "0x05,<key code>,<a>,<b>" with a and b read as decimal (0 when they do
// not parse or are negative, held at 255) and written in hexadecimal.
QString formatRapidFire(const QString& keyCode, const QString& a, const QString& b);

// Two items, low byte first, of a DPI value in units of 50 DPI: a value up
// to 255 gives itself and "0x00"; a larger one gives its low byte as two
// hexadecimal digits and its high byte (values past 0xFFFF are held at
// 0xFFFF, so that no item holds more than a byte).
QStringList splitDpiWord(int value);

// Eight bytes: mode, X low, X high, Y low, Y high, R, G, B. mode is a
// hexadecimal byte, dpiX and dpiY decimal DPI; each field that does not
// parse counts as 0 on its own (a DPI past what the bytes hold is held).
// Mode 1 uses the X value for Y as well. The colour is six hexadecimal
// digits, or "" for white. A colour that is not six hexadecimal digits
// gives "": the stage is not to be written.
QString formatDpiStage(const QString& mode, const QString& dpiX, const QString& dpiY, const QString& colour);

// "RR,GG,BB" of a colour of exactly six hexadecimal digits; "" otherwise.
QString colourBytes(const QString& colour);

} // namespace AssignmentFormat
