#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The frame of the W1 mice (25a7:faXX) on hardware, SET_FEATURE report 8,
// 17 bytes with the report id:
//   08 cmd 00 addr_hi addr_lo len data(up to 10 bytes, zero-padded) chk
// where the check byte makes the whole frame sum to 0x55 (mod 256). The
// answers come on input report 9 with the same rule.
namespace W1Frame {

constexpr std::size_t kSize = 17;
constexpr std::size_t kMaxData = 10;
constexpr std::uint8_t kReportId = 8;
constexpr std::uint8_t kAnswerReportId = 9;

// The commands a transport may send. 0x09 is a factory reset on these
// mice: there is deliberately no name for it here.
constexpr std::uint8_t kPrepare = 0x03;
constexpr std::uint8_t kWrite = 0x07; // the program's "mode 7"
constexpr std::uint8_t kRead = 0x08;
constexpr std::uint8_t kFactoryReset = 0x09;

using Frame = std::array<std::uint8_t, kSize>;

// The frame of cmd at address with length bytes of data (length <= 10);
// nothing for a longer length, or for the factory reset.
std::optional<Frame> build(std::uint8_t cmd, std::uint16_t address, const std::uint8_t* data, std::size_t length);

// The check byte for the first 16 bytes.
std::uint8_t checkByte(const std::uint8_t* first16);

// Whether bytes (an answer on report 9, or a frame) are 17 bytes that sum
// to 0x55, carry reportId and, for an answer, echo cmd.
bool isValid(const std::uint8_t* bytes, std::size_t size, std::uint8_t reportId);
bool answers(const std::uint8_t* answer, std::size_t size, std::uint8_t cmd);

} // namespace W1Frame
