#pragma once

#include "report_descriptor.h"

#include <QString>

#include <cstddef>
#include <cstdint>

// The last check before a feature report leaves for a real device, whatever
// built it: the report must be one the device's descriptor declares, of
// exactly its length (the report id byte included), and never a payload
// that begins "05 75" (the boot-loader entry of Family A mice). Answers
// the reason for a refusal, or an empty string.
QString frameRefusal(const ReportDescriptor& descriptor, const std::uint8_t* frame, std::size_t size,
                     HidReportType type = HidReportType::Feature);
