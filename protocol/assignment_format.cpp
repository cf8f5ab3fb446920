#include "assignment_format.h"

#include "byte_list_text.h"

#include <QRegularExpression>

#include <limits>

namespace AssignmentFormat {

namespace {

// The mode byte of a DPI stage: a hexadecimal byte, as the device reads
// it; anything else counts as 0.
quint32 modeByte(const QString& mode)
{
    quint32 value = 0;
    return ByteListText::readHex(mode, &value) && value <= 0xFF ? value : 0;
}

} // namespace

int heldDecimal(const QString& text, int max)
{
    static const QRegularExpression kNumber(QStringLiteral("^[+-]?[0-9]+$"));
    const QString digits = text.trimmed();
    if (!kNumber.match(digits).hasMatch() || digits.startsWith(QLatin1Char('-')))
        return 0;
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, 10);
    return !ok || value > qulonglong(max) ? max : int(value);
}

QStringList padWithZeros(QStringList items, int count)
{
    while (items.size() < count)
        items << QStringLiteral("0x00");
    return items;
}

QString formatHotKey(const QString& codes)
{
    QStringList items = codes.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (items.size() == 1)
        items.prepend(QStringLiteral("0x00"));
    items = padWithZeros(items, 3);
    return QStringLiteral("0x02,%1,%2,%3").arg(items.at(0), items.at(1), items.at(2));
}

QString formatRapidFire(const QString& keyCode, const QString& a, const QString& b)
{
    return QStringLiteral("0x05,%1,%2,%3")
        .arg(keyCode, QString::number(heldDecimal(a, 0xFF), 16), QString::number(heldDecimal(b, 0xFF), 16));
}

QStringList splitDpiWord(int value)
{
    if (value < 0)
        value = 0;
    if (value <= 0xFF)
        return {QString::number(value, 16), QStringLiteral("0x00")};
    if (value > 0xFFFF)
        value = 0xFFFF;
    return {QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')), QString::number(value >> 8, 16)};
}

QString colourBytes(const QString& colour)
{
    static const QRegularExpression sixDigits(QStringLiteral("^[0-9A-Fa-f]{6}$"));
    if (!sixDigits.match(colour).hasMatch())
        return QString();
    return QStringList{colour.mid(0, 2), colour.mid(2, 2), colour.mid(4, 2)}.join(QLatin1Char(','));
}

QString formatDpiStage(const QString& mode, const QString& dpiX, const QString& dpiY, const QString& colour)
{
    const QString rgb = colour.isEmpty() ? QStringLiteral("FF,FF,FF") : colourBytes(colour);
    if (rgb.isEmpty())
        return QString();
    const quint32 modeValue = modeByte(mode);
    const QStringList x = splitDpiWord(heldDecimal(dpiX, std::numeric_limits<int>::max()) / 50);
    const QStringList y = modeValue == 1 ? x : splitDpiWord(heldDecimal(dpiY, std::numeric_limits<int>::max()) / 50);
    return QStringList{QString::number(modeValue, 16), x.at(0), x.at(1), y.at(0), y.at(1), rgb}.join(
        QLatin1Char(','));
}

} // namespace AssignmentFormat
