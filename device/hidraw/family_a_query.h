#pragma once

#include <array>
#include <cstdint>
#include <optional>

// The queries of Family A mice (258a:0027, 0029, 0033, 0036, 0051, 1007): a
// SET_FEATURE of report 5, six bytes "05 cmd 00 00 00 00", answered by a
// GET_FEATURE of report 5 (short answers) or report 4 (a 520-byte block).
// Only the reading commands are built; 0x75 enters the boot loader and has
// no way in here.
namespace FamilyAQuery {

constexpr std::uint8_t kReportId = 5;
constexpr std::uint8_t kBlockReportId = 4;
constexpr std::uint8_t kFirmwareVersion = 0x01;
constexpr std::uint8_t kActiveProfile = 0x02;

using Frame = std::array<std::uint8_t, 6>;

// Firmware version, active profile, the configuration blocks (0x11, 0x21,
// 0x31) and the button blocks (0x12, 0x22, 0x32).
bool isAllowed(std::uint8_t cmd);

// The query frame of an allowed cmd; nothing for any other.
std::optional<Frame> build(std::uint8_t cmd);

} // namespace FamilyAQuery
