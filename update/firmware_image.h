#pragma once

#include <QByteArray>
#include <QString>

// A firmware image ("update.bin", at most 67 200 bytes, little-endian):
//
//   0       4   signature 0x1016
//   4       4   0
//   264     …   ROM data, at most 65 819 bytes
//   66 083  60  target device id, UTF-16 ending with a 0 character; its
//               first 14 characters count
//   66 143  8   ROM length in bytes
//   66 151  4   check value for the boot loader (CRC-32 of the ROM bytes)
class FirmwareImage
{
public:
    static constexpr int kImageSize = 67200;
    static constexpr quint32 kSignature = 0x1016;
    static constexpr int kRomOffset = 264;
    static constexpr int kRomCapacity = 65819;
    static constexpr int kDeviceIdOffset = 66083;
    static constexpr int kDeviceIdUnits = 30;
    static constexpr int kDeviceIdLength = 14;
    static constexpr int kRomLengthOffset = 66143;
    static constexpr int kCheckValueOffset = 66151;

    // Reads the image file whole and checks it (parse()). An image is used
    // once: a file that checks out is deleted. A file that is not an image
    // (longer than one, a symbolic link, anything parse() refuses) is left
    // where it is, since it may be any file the request named.
    // fileBytes, when given, receives the file's bytes as read.
    static bool load(const QString& path, FirmwareImage* image, QString* error = nullptr,
                     QByteArray* fileBytes = nullptr);
    // Checks bytes (at most kImageSize, zero-filled to it) before any device
    // is touched: the signature and the word after it, a ROM length of 1 to
    // the ROM area's size, a device id of printable characters ending in a
    // 0 within its field, and the check value, which must be the CRC-32 of
    // the ROM bytes: a damaged image never reaches the boot loader, which
    // would only find out after it erased the device.
    static bool parse(const QByteArray& bytes, FirmwareImage* image, QString* error = nullptr);
    // An image for rom and deviceId, with the CRC-32 of rom as check value.
    static QByteArray build(const QByteArray& rom, const QString& deviceId);
    // CRC-32 (IEEE 802.3), the boot loader's check.
    static quint32 crc32(const QByteArray& bytes);

    QString deviceId() const { return m_deviceId; }
    quint32 romLength() const { return m_romLength; }
    quint32 checkValue() const { return m_checkValue; }
    // ROM bytes [offset, offset + length), within the ROM area.
    QByteArray romBytes(int offset, int length) const;

private:
    QByteArray m_bytes;
    QString m_deviceId;
    quint32 m_romLength = 0;
    quint32 m_checkValue = 0;
};
