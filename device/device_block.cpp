#include "device_block.h"

#include <QDebug>

#include <cstring>

#include "transport_entry_points.h"

using namespace transport;

namespace {

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
    char16_t units[kRecordTextBytes / 2];
    std::memcpy(units, record + offset, sizeof units);
    int length = 0;
    while (length < kRecordTextBytes / 2 && units[length] != 0)
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
    const int room = block.size() < 2 ? 0 : (block.size() - 2) / kDeviceRecordSize;
    const int count = qMin(declared, qMin(room, kMaxDeviceRecords));
    if (count < declared)
        qDebug() << "DeviceBlock: the library counts" << declared << "devices, the block holds" << count;

    QVector<DeviceBlockRecord> out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const char* record = block.constData() + 2 + i * kDeviceRecordSize;
        DeviceBlockRecord r;
        r.reportedId = byteField(record, kRecordIdText, kRecordIdTextSize);
        r.lastVersionNum = byteField(record, kRecordVersion, kRecordVersionSize);
        r.serial = byteField(record, kRecordSerial, kRecordSerialSize);
        r.mask = byteField(record, kRecordMask, kRecordMaskSize);
        r.access = byteField(record, kRecordAccess, kRecordAccessSize);
        r.path = wideField(record, kRecordPath);
        r.instanceId = wideField(record, kRecordInstanceId);
        out.append(r);
    }
    return out;
}

} // namespace DeviceBlock
