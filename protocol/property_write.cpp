#include "property_write.h"

#include <QStringList>

#include "assignment_encoder.h"
#include "device_functions.h"
#include "device_text.h"

namespace {

// Index whose value is written as one number and nine zeros.
constexpr int kNumberIndex = 45;

const QString kEmptyCode = QStringLiteral("0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00");
constexpr int kEmptyCodeSize = 8;

bool carriesPlayBytes(const WriteRequest& request)
{
    if (request.driverVersion != QLatin1String("M2.0") && request.driverVersion != QLatin1String("M4.0"))
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
    const quint32 count = quint32(qBound(0, DeviceText::decimalValue(request.taskCount), 0xFF));
    const quint32 delay = quint32(qBound(0, DeviceText::decimalValue(request.taskDelay), 0xFFFF));
    return QStringList{manner, hex(count), hex(delay % 256), hex(delay / 256)}.join(QLatin1Char(','));
}

} // namespace

bool writePropertyAssignment(AssignmentEncoder& encoder, DeviceFunctions& device, const WriteRequest& request)
{
    int id = 0;
    if (!propertyIdOf(request.index, &id))
        return false;

    const EncodedAssignment encoded = encoder.encodeAssignment(request.taskType, request.task, request.taskCount);
    if (encoded.macroFailed)
        return false;
    const QString& code = encoded.code;
    // The items are written as they split, so that an empty item (which the
    // device layer would count) cannot make the size disagree with the list.
    QStringList items = code.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (items.isEmpty())
        return device.writeProperty(request.version, id, kEmptyCode, kEmptyCodeSize);
    if (carriesPlayBytes(request))
        items << playBytes(request).split(QLatin1Char(','));
    if (id == kNumberIndex) {
        const int number = qBound(0, DeviceText::decimalValue(code), 0xFF);
        items = QStringList{hex(quint32(number))};
        while (items.size() < 10)
            items << QStringLiteral("0x00");
    }
    return device.writeProperty(request.version, id, items.join(QLatin1Char(',')), items.size());
}
