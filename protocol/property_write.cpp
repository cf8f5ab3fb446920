#include "property_write.h"

#include <QStringList>

#include "assignment_encoder.h"
#include "assignment_format.h"
#include "device_family.h"
#include "device_functions.h"
#include "driver_lookup.h"

namespace {

// Index whose value is written as one number and nine zeros, where the
// definition has its 10-byte slot there (the mouse families; on K1.0 Index
// 45 is a key).
constexpr int kNumberIndex = 45;
const QString kNumberSlotLength = QStringLiteral("10");

const QString kEmptyCode = QStringLiteral("0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00");
constexpr int kEmptyCodeSize = 8;

bool carriesPlayBytes(const WriteRequest& request)
{
    const DeviceFamily* family = DeviceFamilies::find(request.driverVersion);
    if (!family || !family->repeatInButtonCode)
        return false;
    const QString& type = request.taskType;
    return type == QLatin1String("Macro") || type == QLatin1String("MouseFunction")
        || type == QLatin1String("HotKey") || type == QLatin1String("Keyboard");
}

QString hex(quint32 value)
{
    return QString::number(value, 16);
}

// Manner, count, delay low, delay high. The count and the delay are held
// where their bytes end, so that a large value does not wrap to a small one.
QString playBytes(const WriteRequest& request)
{
    const QString manner = request.taskManner.trimmed().isEmpty() ? QStringLiteral("0") : request.taskManner;
    const quint32 count = quint32(AssignmentFormat::heldDecimal(request.taskCount, 0xFF));
    const quint32 delay = quint32(AssignmentFormat::heldDecimal(request.taskDelay, 0xFFFF));
    return QStringList{manner, hex(count), hex(delay % 256), hex(delay / 256)}.join(QLatin1Char(','));
}

} // namespace

bool writePropertyAssignment(const DriverLookup& lookup, AssignmentEncoder& encoder, DeviceFunctions& device,
                             const WriteRequest& request)
{
    int id = 0;
    if (!propertyIdOf(request.index, &id))
        return false;

    const EncodedAssignment encoded = encoder.encodeAssignment(request.taskType, request.task, request.taskCount);
    if (encoded.failed)
        return false;
    const QString& code = encoded.code;
    // The items are written as they split, so that an empty item (which the
    // device layer would count) cannot make the size disagree with the list.
    QStringList items = code.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (items.isEmpty())
        return device.writeProperty(request.version, id, kEmptyCode, kEmptyCodeSize);
    if (carriesPlayBytes(request))
        items << playBytes(request).split(QLatin1Char(','));
    const QString length = lookup.lengthOfKey(QString::number(id));
    if (id == kNumberIndex && length == kNumberSlotLength) {
        const int number = AssignmentFormat::heldDecimal(code, 0xFF);
        items = QStringList{hex(quint32(number))};
        while (items.size() < 10)
            items << QStringLiteral("0x00");
    }
    // More bytes than the parameter holds would reach past it.
    bool known = false;
    const int capacity = length.toInt(&known, 10);
    if (known && items.size() > capacity)
        return false;
    return device.writeProperty(request.version, id, items.join(QLatin1Char(',')), items.size());
}
