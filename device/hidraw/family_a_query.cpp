#include "family_a_query.h"

namespace FamilyAQuery {

bool isAllowed(std::uint8_t cmd)
{
    switch (cmd) {
    case kFirmwareVersion:
    case kActiveProfile:
    case 0x11:
    case 0x21:
    case 0x31:
    case 0x12:
    case 0x22:
    case 0x32:
        return true;
    default:
        return false;
    }
}

std::optional<Frame> build(std::uint8_t cmd)
{
    if (!isAllowed(cmd))
        return std::nullopt;
    return Frame{kReportId, cmd, 0, 0, 0, 0};
}

} // namespace FamilyAQuery
