#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// A HID report descriptor read into its top-level collections: for each,
// the usage page and usage it announces and the reports it carries (id,
// type, size). That is all a transport needs to tell a device's vendor
// collection from its keyboard or mouse collections, which share one
// hidraw node, and to know how long each report is on the wire.
//
// The descriptor comes from the kernel, but a device writes it: it is read
// as hostile input. Anything malformed (an item running past the end, an
// unbalanced collection, a pop without a push, more collections or reports
// than any real device has) is refused as a whole.

enum class HidReportType { Input, Output, Feature };

struct HidReport
{
    std::uint8_t id = 0; // 0: the device uses no report ids
    HidReportType type = HidReportType::Input;
    std::uint32_t bits = 0;

    // The report's bytes without the report id.
    std::uint32_t bytes() const { return (bits + 7) / 8; }
};

struct HidCollection
{
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::vector<HidReport> reports;

    // A vendor-defined usage page (0xFF00 to 0xFFFF).
    bool isVendor() const { return usagePage >= 0xFF00; }
    // The report of this id and type, or null.
    const HidReport* report(std::uint8_t id, HidReportType type) const;
};

struct ReportDescriptor
{
    std::vector<HidCollection> collections;
    bool usesReportIds = false;
};

// Limits no real device comes near; a descriptor beyond them is refused.
constexpr std::size_t kMaxDescriptorBytes = 4096; // the kernel's HID_MAX_DESCRIPTOR_SIZE
constexpr std::size_t kMaxCollections = 64;
constexpr std::size_t kMaxReports = 256;
constexpr std::uint32_t kMaxReportBits = 8 * 65535;

std::optional<ReportDescriptor> parseReportDescriptor(const std::uint8_t* data, std::size_t size,
                                                      QString* why = nullptr);
