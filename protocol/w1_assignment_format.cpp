#include "w1_assignment_format.h"

#include <QByteArray>
#include <QStringList>

#include "byte_list_text.h"

namespace W1AssignmentFormat {

namespace {

constexpr quint32 kHalvedMax = 0x7F;

QString twoDigits(quint32 value)
{
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0'));
}

// A DPI value of a stage: its low and high item read together.
quint32 stageWord(const QStringList& items, int low)
{
    return (ByteListText::hexValue(items.at(low)) & 0xFF) | ((ByteListText::hexValue(items.at(low + 1)) & 0xFF) << 8);
}

} // namespace

quint8 checkByte(const QByteArray& bytes)
{
    quint32 sum = 0;
    for (const char byte : bytes)
        sum += static_cast<quint8>(byte);
    return static_cast<quint8>((0x55u - sum) & 0xFFu);
}

QString dpiCode(const QString& deviceId, const QString& stage)
{
    const QStringList items = stage.split(QLatin1Char(','));
    if (items.size() != 8)
        return QString();
    const quint32 x = stageWord(items, 1);
    const quint32 y = stageWord(items, 3);
    quint32 a = x;
    quint32 b = y;
    quint32 flag = 0;
    const QString id = deviceId.toUpper();
    if (id == QLatin1String("25A7FA91") || id == QLatin1String("25A7FA92")) {
        if (x > 144) {
            // The halved form keeps seven bits (the Y byte's mask); X is held
            // the same way, so that equal values give equal bytes.
            flag = 1;
            a = qMin<quint32>(x / 2, kHalvedMax);
            b = qMin<quint32>(y / 2, kHalvedMax);
        }
    } else if (id == QLatin1String("25A7FA93") || id == QLatin1String("25A7FA96")) {
        a = x / 2;
        b = y / 2;
        if (x > 239) {
            flag = 1;
            a = x / 4;
            b = y / 4;
        }
    }
    return QStringList{twoDigits(qMin<quint32>(a, 0xFF)), twoDigits(qMin<quint32>(b, 0xFF)), twoDigits(flag)}
        .join(QLatin1Char(','));
}

QString dpiColourCode(const QString& stage)
{
    const QStringList items = stage.split(QLatin1Char(','));
    if (items.size() < 8)
        return QString();
    return QStringList{twoDigits(ByteListText::hexValue(items.at(5))), twoDigits(ByteListText::hexValue(items.at(6))),
                       twoDigits(ByteListText::hexValue(items.at(7)))}
        .join(QLatin1Char(','));
}

QString dpiColourIndex(const QString& index)
{
    bool ok = false;
    const int number = index.trimmed().toInt(&ok, 10);
    if (!ok)
        return QString();
    if (number >= 50 && number <= 57)
        return QString::number(number + 151);
    if (number >= 201 && number <= 208)
        return QString::number(number);
    return QString();
}

QString lightingCode(const QString& values)
{
    const QStringList items = values.split(QLatin1Char(','));
    if (items.size() < 6)
        return QString();
    QByteArray x;
    for (int i = 0; i < 6; ++i)
        x.append(static_cast<char>(ByteListText::hexValue(items.at(i)) & 0xFF));
    const QByteArray out = QByteArray() + x.at(0) + x.at(1) + x.at(2) + char(checkByte(x.left(3))) + x.at(3)
        + char(checkByte(x.mid(3, 1))) + x.at(4) + char(checkByte(x.mid(4, 1))) + x.at(5)
        + char(checkByte(x.mid(5, 1)));
    QStringList result;
    for (const char byte : out)
        result << twoDigits(static_cast<quint8>(byte));
    return result.join(QLatin1Char(','));
}

} // namespace W1AssignmentFormat
