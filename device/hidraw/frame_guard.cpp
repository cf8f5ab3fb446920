#include "frame_guard.h"

QString frameRefusal(const ReportDescriptor& descriptor, const std::uint8_t* frame, std::size_t size,
                     HidReportType type)
{
    if (!frame || size == 0)
        return QStringLiteral("an empty frame");
    if (size >= 2 && frame[0] == 0x05 && frame[1] == 0x75)
        return QStringLiteral("the boot-loader entry (05 75) is never sent");
    const std::uint8_t id = descriptor.usesReportIds ? frame[0] : 0;
    for (const HidCollection& collection : descriptor.collections) {
        const HidReport* report = collection.report(id, type);
        if (!report)
            continue;
        const std::size_t expected = report->bytes() + (descriptor.usesReportIds ? 1 : 0);
        if (size != expected)
            return QStringLiteral("report %1 is %2 bytes on this device, not %3").arg(id).arg(expected).arg(size);
        return QString();
    }
    return QStringLiteral("the device declares no such report (%1)").arg(id);
}
