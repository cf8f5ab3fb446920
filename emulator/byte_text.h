#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace emulator {

// Byte lists in the device-set file and the call log are texts of
// hexadecimal bytes separated by "," ("01,02,ff"); items may carry a "0x"
// prefix and surrounding blanks. False for anything else (an item that is not
// one hexadecimal byte), so a typo in the file is noticed instead of becoming
// a zero.
bool parseByteText(const QString &text, QByteArray *out);

// Two lower-case hexadecimal digits per byte, joined by ",".
QByteArray formatByteText(const unsigned char *data, int size);
inline QByteArray formatByteText(const QByteArray &bytes)
{
    return formatByteText(reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
}

// Memory segments in the device-set file may also be plain hexadecimal,
// two digits a byte, nothing between ("01ff00"). False for an odd number of
// digits or any other character.
bool parseHexText(const QString &text, QByteArray *out);
// Two lower-case hexadecimal digits per byte, nothing between.
QByteArray formatHexText(const char *data, int size);

// A number given either as a JSON number or as text ("0x258A", "258A" is
// read as hexadecimal when hex is true, else as decimal unless prefixed).
bool parseNumberText(const QString &text, bool hex, qint64 *out);

// A device path handed in by the caller: NUL-terminated UTF-16 of at most
// 254 characters (what the 510-byte path field of the device block holds).
// Reading stops after 255 code units, so an unterminated string is refused
// rather than followed through memory. False for null or unterminated input.
bool readPathText(const char16_t *path, QString *out);

// CRC-32 as used by Ethernet and zlib (reflected polynomial 0xEDB88320).
std::uint32_t crc32Ieee(const unsigned char *data, std::size_t size);

} // namespace emulator
