#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The frame of Family B mice (258a:0012 and relatives), a SET_FEATURE of
// the report's full size:
//   report id, cmd, BB, AA, addr_lo, addr_hi, len_lo, len_hi, data…
// zero-padded to the report's size. Short writes (cmd 0x06) and reads
// (cmd 0x05) go on report 2 (16 bytes), long writes (0x04) on report 4
// (256 bytes), lighting on report 3 (64 bytes). A read's answer is a
// GET_FEATURE of report 4 whose data starts after an 8-byte header.
namespace FamilyBFrame {

constexpr std::uint8_t kRead = 0x05;
constexpr std::uint8_t kShortWrite = 0x06;
constexpr std::uint8_t kLongWrite = 0x04;
constexpr std::size_t kHeaderSize = 8;

// The frame for reportId of reportSize bytes (with the id); empty when the
// header and data do not fit.
std::vector<std::uint8_t> build(std::uint8_t reportId, std::size_t reportSize, std::uint8_t cmd,
                                std::uint16_t address, const std::uint8_t* data, std::uint16_t length);

// A read request of length bytes at address: the header alone, the length
// in its length field.
std::vector<std::uint8_t> readRequest(std::uint16_t address, std::uint16_t length);

} // namespace FamilyBFrame
