#pragma once

#include <QString>

// Turn the byte text of a property read ("0x01,0x05,...") into the values
// the pages show. Items that are missing read as 0, so a short answer from
// the device gives zeros, never a failure.
namespace ValueDecoders {

// Item 0 in decimal: "0x0a" gives "10".
QString single(const QString& bytes);

// Items 0 and 1 in decimal, joined by ",".
QString pair(const QString& bytes);

// A 10-byte lighting property: items 0-2 in decimal, items 3-5 as one colour
// text of unpadded lower-case hexadecimal ("ff" "0" "0" gives "ff00"), items
// 6-8 in decimal; the seven fields joined by ",".
QString lighting(const QString& bytes);

// An 8-byte DPI property: mode, X low, X high, Y low, Y high, R, G, B.
// The DPI values are the 16-bit words times 50 (the high byte is 0 for
// values up to 12750); the colour is "RRGGBB" in upper case.
struct Dpi {
    quint32 x = 0;
    quint32 y = 0;
    quint32 mode = 0;
    QString colour;
};
Dpi dpi(const QString& bytes);

// The property that holds DPI slot 0-4 (50-54); any other slot names the
// property itself.
int dpiProperty(int slot);

} // namespace ValueDecoders
