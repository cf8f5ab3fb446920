// Firmware images ("update.bin"): the signature, the ROM length, the
// device id and the ROM area. The image is zero-filled to its full size,
// so short inputs describe its head; the first byte, when odd, moves the
// input to the tail (device id, length and check value).

#include "fuzz_support.h"

#include "firmware_image.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const bool tail = in.byte() & 1;
    QByteArray bytes = in.restBytes();
    if (tail && bytes.size() < FirmwareImage::kImageSize)
        bytes.prepend(QByteArray(FirmwareImage::kDeviceIdOffset - qMin(bytes.size(), FirmwareImage::kDeviceIdOffset), '\0'));
    FirmwareImage image;
    if (!FirmwareImage::parse(bytes, &image))
        return 0;
    if (image.romLength() == 0 || image.romLength() > quint32(FirmwareImage::kRomCapacity)
        || image.deviceId().size() > FirmwareImage::kDeviceIdLength)
        std::abort();
    // Every block the flashing asks for lies within the ROM area.
    for (quint32 offset = 0; offset < image.romLength(); offset += 2000) {
        const int length = int(qMin<quint32>(2000, image.romLength() - offset));
        if (image.romBytes(int(offset), length).size() != length)
            std::abort();
    }
    return 0;
}
