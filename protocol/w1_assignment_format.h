#pragma once

#include <QString>

// Codes of the W1 family, which keeps three bytes per DPI stage and adds
// check bytes to its lighting parameter.
namespace W1AssignmentFormat {

// "aa,bb,ff" for a DPI stage given as an eight-item stage text (mode,
// X low, X high, Y low, Y high, R, G, B). a and b are the X and Y values in
// units of 50 DPI, flag 0. Devices 25A7FA91 and 25A7FA92 halve both and set
// the flag when a is above 144, the halved values held at 0x7F (both, so
// that equal X and Y give equal bytes); devices 25A7FA93 and 25A7FA96
// always halve them, and quarter them with the flag set when a is above
// 239. The values are held at 0xFF rather than wrapped.
// "" when the stage text does not have eight items.
QString dpiCode(const QString& deviceId, const QString& stage);

// The colour bytes "RR,GG,BB" of an eight-item stage text; "" when it is
// shorter.
QString dpiColourCode(const QString& stage);

// The Index of the colour row of a DPI stage: Index 50 .. 57 (the stage
// values) map to 201 .. 208, and 201 .. 208 stay as they are; "" for any
// other Index.
QString dpiColourIndex(const QString& index);

// Ten bytes x0, x1, x2, s1, x3, s2, x4, s3, x5, s4 from six comma-separated
// hexadecimal values x0 .. x5, where s1 = 0x55 - (x0 + x1 + x2) and s2, s3,
// s4 = 0x55 - x3, x4, x5, each as a byte. "" when fewer than six values are
// given.
QString lightingCode(const QString& values);

// (0x55 - sum of bytes) & 0xFF.
quint8 checkByte(const QByteArray& bytes);

} // namespace W1AssignmentFormat
