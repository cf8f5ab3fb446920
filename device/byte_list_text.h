#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The text conventions of the device layer: byte lists are items separated
// by ",", each byte hexadecimal with or without "0x"; addresses are
// hexadecimal, property ids and sizes decimal. Text that does not read as a
// number counts as 0.
namespace ByteListText {

// "1f", "0x1F" and " 1f " read as 0x1f; "zz" and "" read as 0.
quint32 hexValue(const QString& text);
// The same, telling whether the text was a hexadecimal number at all; on
// false *value is 0.
bool readHex(const QString& text, quint32* value);
int decimalValue(const QString& text);

// The items of a byte list, each turned into the low byte of its value.
QByteArray bytesOfList(const QStringList& items);

// "0x05,0x1a": each byte as "0x" and two lower-case digits.
QString prefixedByteList(const QByteArray& bytes);

// The items of a byte list as a write counts them: every part between
// commas, empty ones included (they read as 0); an empty text has none.
QStringList listItems(const QString& text);

// The non-empty items of a byte list, as the value decoders read them.
QStringList valueItems(const QString& text);

// True for keys of the W1 family: read as a hexadecimal number, with the
// low byte cleared, the key equals 0x25A7FA00.
bool isW1FamilyKey(const QString& key);

} // namespace ByteListText
