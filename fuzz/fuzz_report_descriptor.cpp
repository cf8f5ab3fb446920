// HID report descriptors as the hidraw transport reads them from sysfs:
// written by the device, so anything may come. What a parse answers must
// hold together: within the limits, and the last check before a frame
// leaves passes a feature report of exactly the declared length and
// refuses one byte more.

#include "fuzz_support.h"

#include "frame_guard.h"
#include "report_descriptor.h"

#include <cstdlib>
#include <vector>

namespace {

const HidReport* firstDeclared(const ReportDescriptor& descriptor, std::uint8_t id)
{
    for (const HidCollection& collection : descriptor.collections) {
        if (const HidReport* report = collection.report(id, HidReportType::Feature))
            return report;
    }
    return nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto descriptor = parseReportDescriptor(data, size);
    if (!descriptor)
        return 0;
    if (size > kMaxDescriptorBytes || descriptor->collections.size() > kMaxCollections)
        std::abort();
    std::size_t reports = 0;
    const std::size_t idByte = descriptor->usesReportIds ? 1 : 0;
    for (const HidCollection& collection : descriptor->collections) {
        for (const HidReport& report : collection.reports) {
            if (++reports > kMaxReports || report.bits > kMaxReportBits)
                std::abort();
            if (report.type != HidReportType::Feature)
                continue;
            const std::size_t length = firstDeclared(*descriptor, report.id)->bytes() + idByte;
            if (length == 0)
                continue;
            std::vector<std::uint8_t> frame(length + 1, 0);
            frame[0] = report.id;
            if (!frameRefusal(*descriptor, frame.data(), length).isEmpty())
                std::abort();
            if (frameRefusal(*descriptor, frame.data(), length + 1).isEmpty())
                std::abort();
        }
    }
    return 0;
}
