#include "family_b_frame.h"

namespace FamilyBFrame {

std::vector<std::uint8_t> build(std::uint8_t reportId, std::size_t reportSize, std::uint8_t cmd,
                                std::uint16_t address, const std::uint8_t* data, std::uint16_t length)
{
    const std::size_t dataBytes = data ? length : 0;
    if (reportSize < kHeaderSize || dataBytes > reportSize - kHeaderSize || (length > 0 && !data && cmd != kRead))
        return {};
    std::vector<std::uint8_t> frame(reportSize, 0);
    frame[0] = reportId;
    frame[1] = cmd;
    frame[2] = 0xBB;
    frame[3] = 0xAA;
    frame[4] = static_cast<std::uint8_t>(address & 0xFF);
    frame[5] = static_cast<std::uint8_t>(address >> 8);
    frame[6] = static_cast<std::uint8_t>(length & 0xFF);
    frame[7] = static_cast<std::uint8_t>(length >> 8);
    for (std::size_t i = 0; i < dataBytes; ++i)
        frame[kHeaderSize + i] = data[i];
    return frame;
}

std::vector<std::uint8_t> readRequest(std::uint16_t address, std::uint16_t length)
{
    return build(2, 16, kRead, address, nullptr, length);
}

} // namespace FamilyBFrame
