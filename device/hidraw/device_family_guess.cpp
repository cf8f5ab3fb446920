#include "device_family_guess.h"

namespace {

bool hasReport(const ReportDescriptor& d, std::uint8_t id, HidReportType type, std::uint32_t bytes)
{
    for (const HidCollection& c : d.collections) {
        const HidReport* r = c.report(id, type);
        if (r && c.isVendor() && r->bytes() == bytes)
            return true;
    }
    return false;
}

} // namespace

RealFamily guessFamily(std::uint16_t vendor, const ReportDescriptor& d)
{
    if (!d.usesReportIds)
        return RealFamily::ListOnly;
    if (vendor == 0x25A7 && hasReport(d, 8, HidReportType::Feature, 16) && hasReport(d, 9, HidReportType::Input, 16))
        return RealFamily::W1;
    if (vendor != 0x258A)
        return RealFamily::ListOnly;
    if (hasReport(d, 5, HidReportType::Feature, 5)
        && (hasReport(d, 4, HidReportType::Feature, 519) || hasReport(d, 6, HidReportType::Feature, 519)))
        return RealFamily::FamilyA;
    if (hasReport(d, 2, HidReportType::Feature, 15) && hasReport(d, 4, HidReportType::Feature, 255))
        return RealFamily::FamilyB;
    return RealFamily::ListOnly;
}

QString familyName(RealFamily family)
{
    switch (family) {
    case RealFamily::W1: return QStringLiteral("W1");
    case RealFamily::FamilyA: return QStringLiteral("A");
    case RealFamily::FamilyB: return QStringLiteral("B");
    case RealFamily::ListOnly: break;
    }
    return QStringLiteral("list-only");
}
