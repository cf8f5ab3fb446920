#include "w1_frame.h"

namespace W1Frame {

std::uint8_t checkByte(const std::uint8_t* first16)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < kSize - 1; ++i)
        sum += first16[i];
    return static_cast<std::uint8_t>((0x55u - sum) & 0xFFu);
}

std::optional<Frame> build(std::uint8_t cmd, std::uint16_t address, const std::uint8_t* data, std::size_t length)
{
    if (cmd == kFactoryReset || length > kMaxData || (length > 0 && !data))
        return std::nullopt;
    Frame frame{};
    frame[0] = kReportId;
    frame[1] = cmd;
    frame[3] = static_cast<std::uint8_t>(address >> 8);
    frame[4] = static_cast<std::uint8_t>(address & 0xFF);
    frame[5] = static_cast<std::uint8_t>(length);
    for (std::size_t i = 0; i < length; ++i)
        frame[6 + i] = data[i];
    frame[kSize - 1] = checkByte(frame.data());
    return frame;
}

bool isValid(const std::uint8_t* bytes, std::size_t size, std::uint8_t reportId)
{
    if (!bytes || size != kSize || bytes[0] != reportId)
        return false;
    return checkByte(bytes) == bytes[kSize - 1];
}

bool answers(const std::uint8_t* answer, std::size_t size, std::uint8_t cmd)
{
    return isValid(answer, size, kAnswerReportId) && answer[1] == cmd;
}

} // namespace W1Frame
