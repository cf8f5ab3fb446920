#include "report_descriptor.h"

#include <array>

namespace {

// Item types and tags of the HID short items this parser reads.
constexpr int kMain = 0;
constexpr int kGlobal = 1;
constexpr int kLocal = 2;

constexpr int kInput = 0x8;
constexpr int kOutput = 0x9;
constexpr int kCollection = 0xA;
constexpr int kFeature = 0xB;
constexpr int kEndCollection = 0xC;

constexpr int kUsagePage = 0x0;
constexpr int kReportSize = 0x7;
constexpr int kReportId = 0x8;
constexpr int kReportCount = 0x9;
constexpr int kPush = 0xA;
constexpr int kPop = 0xB;

constexpr int kUsage = 0x0;

constexpr int kMaxPush = 8;
constexpr int kMaxDepth = 32;

struct Globals
{
    std::uint32_t usagePage = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

bool refuse(QString* why, const QString& reason)
{
    if (why)
        *why = reason;
    return false;
}

} // namespace

const HidReport* HidCollection::report(std::uint8_t id, HidReportType type) const
{
    for (const HidReport& r : reports) {
        if (r.id == id && r.type == type)
            return &r;
    }
    return nullptr;
}

std::optional<ReportDescriptor> parseReportDescriptor(const std::uint8_t* data, std::size_t size, QString* why)
{
    if (!data && size > 0) {
        refuse(why, QStringLiteral("no descriptor"));
        return std::nullopt;
    }
    if (size > kMaxDescriptorBytes) {
        refuse(why, QStringLiteral("descriptor of %1 bytes, more than %2").arg(size).arg(kMaxDescriptorBytes));
        return std::nullopt;
    }
    ReportDescriptor out;
    Globals globals;
    std::array<Globals, kMaxPush> pushed;
    int pushes = 0;
    int depth = 0;
    std::size_t reports = 0;
    // The first usage of the items before a collection: the collection's.
    bool haveUsage = false;
    std::uint32_t usage = 0;
    HidCollection* current = nullptr;

    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t prefix = data[at];
        if (prefix == 0xFE) { // a long item: skipped whole
            if (at + 2 >= size || at + 3 + data[at + 1] > size) {
                refuse(why, QStringLiteral("long item past the end at byte %1").arg(at));
                return std::nullopt;
            }
            at += 3 + data[at + 1];
            continue;
        }
        const std::size_t length = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (at + 1 + length > size) {
            refuse(why, QStringLiteral("item past the end at byte %1").arg(at));
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < length; ++i)
            value |= static_cast<std::uint32_t>(data[at + 1 + i]) << (8 * i);
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        at += 1 + length;

        if (type == kGlobal) {
            switch (tag) {
            case kUsagePage: globals.usagePage = value; break;
            case kReportSize: globals.reportSize = value; break;
            case kReportCount: globals.reportCount = value; break;
            case kReportId:
                if (value == 0 || value > 255) {
                    refuse(why, QStringLiteral("report id %1").arg(value));
                    return std::nullopt;
                }
                globals.reportId = value;
                out.usesReportIds = true;
                break;
            case kPush:
                if (pushes == kMaxPush) {
                    refuse(why, QStringLiteral("too many pushes"));
                    return std::nullopt;
                }
                pushed[pushes++] = globals;
                break;
            case kPop:
                if (pushes == 0) {
                    refuse(why, QStringLiteral("pop without push"));
                    return std::nullopt;
                }
                globals = pushed[--pushes];
                break;
            default: break;
            }
            continue;
        }
        if (type == kLocal) {
            if (tag == kUsage && !haveUsage) {
                haveUsage = true;
                // A four-byte usage carries its own page in the high half.
                usage = length == 4 ? value : ((globals.usagePage & 0xFFFF) << 16) | (value & 0xFFFF);
            }
            continue;
        }
        if (type != kMain)
            continue; // reserved item type: skipped

        switch (tag) {
        case kCollection:
            if (depth == kMaxDepth) {
                refuse(why, QStringLiteral("collections nested too deep"));
                return std::nullopt;
            }
            if (depth == 0) {
                if (out.collections.size() == kMaxCollections) {
                    refuse(why, QStringLiteral("more than %1 collections").arg(kMaxCollections));
                    return std::nullopt;
                }
                HidCollection collection;
                const std::uint32_t full = haveUsage ? usage : (globals.usagePage & 0xFFFF) << 16;
                collection.usagePage = static_cast<std::uint16_t>(full >> 16);
                collection.usage = static_cast<std::uint16_t>(full & 0xFFFF);
                out.collections.push_back(collection);
                current = &out.collections.back();
            }
            ++depth;
            break;
        case kEndCollection:
            if (depth == 0) {
                refuse(why, QStringLiteral("end of a collection never begun at byte %1").arg(at - 1));
                return std::nullopt;
            }
            if (--depth == 0)
                current = nullptr;
            break;
        case kInput:
        case kOutput:
        case kFeature: {
            if (!current) {
                refuse(why, QStringLiteral("report outside a collection at byte %1").arg(at - 1 - length));
                return std::nullopt;
            }
            const HidReportType reportType = tag == kInput ? HidReportType::Input
                                             : tag == kOutput ? HidReportType::Output
                                                              : HidReportType::Feature;
            const std::uint64_t bits = static_cast<std::uint64_t>(globals.reportSize) * globals.reportCount;
            const auto id = static_cast<std::uint8_t>(globals.reportId);
            HidReport* report = nullptr;
            for (HidReport& r : current->reports) {
                if (r.id == id && r.type == reportType)
                    report = &r;
            }
            if (!report) {
                if (++reports > kMaxReports) {
                    refuse(why, QStringLiteral("more than %1 reports").arg(kMaxReports));
                    return std::nullopt;
                }
                current->reports.push_back(HidReport{id, reportType, 0});
                report = &current->reports.back();
            }
            if (report->bits + bits > kMaxReportBits) {
                refuse(why, QStringLiteral("report %1 longer than 65535 bytes").arg(id));
                return std::nullopt;
            }
            report->bits += static_cast<std::uint32_t>(bits);
            break;
        }
        default: break;
        }
        // Local items hold until the next main item.
        haveUsage = false;
        usage = 0;
    }
    if (depth != 0) {
        refuse(why, QStringLiteral("a collection is never ended"));
        return std::nullopt;
    }
    return out;
}
