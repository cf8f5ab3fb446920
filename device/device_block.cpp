#include "device_block.h"

#include <QDebug>

#include <cstring>

#include "transport_entry_points.h"

namespace {

constexpr int kReportedIdOffset = 40;
constexpr int kReportedIdSize = 14;
constexpr int kVersionOffset = 55;
constexpr int kVersionSize = 2;
constexpr int kSerialOffset = 57;
constexpr int kSerialSize = 14;
constexpr int kMaskOffset = 71;
constexpr int kMaskSize = 2;
constexpr int kPathOffset = 1085;
constexpr int kInstanceIdOffset = 1595;
constexpr int kWideTextBytes = 510;

QString byteField(const char* record, int offset, int size)
{
    const char* field = record + offset;
    int length = 0;
    while (length < size && field[length] != '\0')
        ++length;
    return QString::fromLatin1(field, length);
}

QString wideField(const char* record, int offset)
{
    char16_t units[kWideTextBytes / 2];
    std::memcpy(units, record + offset, sizeof units);
    int length = 0;
    while (length < kWideTextBytes / 2 && units[length] != 0)
        ++length;
    return QString::fromUtf16(units, length);
}

} // namespace

namespace DeviceBlock {

int declaredCount(const QByteArray& block)
{
    if (block.size() < 2)
        return 0;
    quint16 count = 0;
    std::memcpy(&count, block.constData(), sizeof count);
    return count;
}

QVector<DeviceBlockRecord> records(const QByteArray& block)
{
    const int declared = declaredCount(block);
    const int room = block.size() < 2 ? 0 : (block.size() - 2) / transport::kDeviceRecordSize;
    const int count = qMin(declared, qMin(room, transport::kMaxDeviceRecords));
    if (count < declared)
        qDebug() << "DeviceBlock: the library counts" << declared << "devices, the block holds" << count;

    QVector<DeviceBlockRecord> out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const char* record = block.constData() + 2 + i * transport::kDeviceRecordSize;
        DeviceBlockRecord r;
        r.reportedId = byteField(record, kReportedIdOffset, kReportedIdSize);
        r.lastVersionNum = byteField(record, kVersionOffset, kVersionSize);
        r.serial = byteField(record, kSerialOffset, kSerialSize);
        r.mask = byteField(record, kMaskOffset, kMaskSize);
        r.path = wideField(record, kPathOffset);
        r.instanceId = wideField(record, kInstanceIdOffset);
        out.append(r);
    }
    return out;
}

} // namespace DeviceBlock
