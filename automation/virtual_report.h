#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The 65-byte output reports of the virtual keyboard and mouse. Byte 0 is
// the control report id (0x40), byte 1 the length of what follows the
// report id, byte 2 the report id of the device the report is for; bytes a
// report does not use are zero.
//
//   keyboard: 40 09 07 modifiers reserved key1 key2 key3 key4 key5 key6
//   mouse:    40 05 04 buttons dx dy wheel          (dx, dy, wheel signed)
namespace VirtualReport {

constexpr int kSize = 65;
constexpr quint8 kControlReportId = 0x40;
constexpr quint8 kKeyboardLength = 9;
constexpr quint8 kKeyboardReportId = 7;
constexpr quint8 kMouseLength = 5;
constexpr quint8 kMouseReportId = 4;
constexpr int kMaxKeys = 6;

// Modifier bits of byte 3 of a keyboard report: left control 0x01, left
// shift 0x02, left alt 0x04, left GUI 0x08, then the right-hand four.
// Mouse button bits: left 0x01, right 0x02, middle 0x04, back 0x08,
// forward 0x10.

QByteArray keyboard(quint8 modifiers, const quint8* keys = nullptr, int keyCount = 0);
QByteArray keyboard(quint8 modifiers, quint8 key);
QByteArray mouse(quint8 buttons, qint8 dx = 0, qint8 dy = 0, qint8 wheel = 0);

bool isKeyboard(const QByteArray& report);
bool isMouse(const QByteArray& report);

// The first 11 bytes as lower-case two-digit hexadecimal joined by ",", as
// the report log writes them ("40,09,07,00,...").
QString headText(const QByteArray& report);

} // namespace VirtualReport
