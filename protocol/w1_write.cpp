#include "w1_write.h"

#include <QStringList>

#include "assignment_encoder.h"
#include "byte_list_text.h"
#include "device_functions.h"
#include "driver_lookup.h"
#include "w1_assignment_format.h"

namespace {

constexpr quint8 kBlockWrite = 7;
constexpr int kFirstButtonIndex = 61;
const QString kLightStripIndex = QStringLiteral("43");
constexpr int kLightStripItems = 5;

QString twoDigits(quint32 value)
{
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0'));
}

// The macro reference of the button with this Index: 0x06, button number,
// repeat count.
QString macroReference(const WriteRequest& request)
{
    const int button = ByteListText::decimalValue(request.index) - kFirstButtonIndex;
    const int count = qBound(1, ByteListText::decimalValue(request.taskCount), 0xFF);
    return QStringLiteral("0x06,%1,%2").arg(twoDigits(quint32(button)), twoDigits(quint32(count)));
}

} // namespace

bool writeW1Assignment(const DriverLookup& lookup, AssignmentEncoder& encoder, DeviceFunctions& device,
                       const WriteRequest& request)
{
    // A stage colour goes to the stage's colour row.
    const QString row = request.taskType == QLatin1String("DPIRGB")
        ? W1AssignmentFormat::dpiColourIndex(request.index)
        : request.index;
    const QStringList addrLength = lookup.addrLengthOfIndex(row);
    if (row.isEmpty() || addrLength.size() != 2)
        return false;
    const QString address = addrLength.at(0);
    QString length = addrLength.at(1);

    const EncodedAssignment encoded =
        encoder.encodeAssignmentW1(request.version, request.index, request.taskType, request.task, request.taskCount);
    if (encoded.failed)
        return false;
    QString code = encoded.code;
    if (code == QLatin1String("HotKey")) {
        length = QStringLiteral("3");
        code = QStringLiteral("0x05,0x00,0x00");
    } else if (code == QLatin1String("Macro")) {
        length = QStringLiteral("3");
        code = macroReference(request);
    }

    QStringList items = code.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (items.isEmpty())
        return false;
    if (request.index == kLightStripIndex) {
        if (items.size() < kLightStripItems)
            return false;
        const int value = qBound(0, ByteListText::decimalValue(items.at(kLightStripItems - 1)), 0xFF);
        items[kLightStripItems - 1] = QString::number(value, 16);
    }

    if (!device.writeW1Address(request.version, address, items.join(QLatin1Char(',')), length, kBlockWrite))
        return false;
    const quint8 check = W1AssignmentFormat::checkByte(ByteListText::bytesOfList(items));
    const QString checkAddress =
        QString::number(ByteListText::hexValue(address) + ByteListText::hexValue(length), 16);
    return device.writeW1Address(request.version, checkAddress, twoDigits(check), QStringLiteral("1"), kBlockWrite);
}
