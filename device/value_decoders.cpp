#include "value_decoders.h"

#include <QStringList>

#include "byte_list_text.h"

namespace {

quint32 itemValue(const QStringList& items, int index)
{
    return index < items.size() ? ByteListText::hexValue(items.at(index)) : 0;
}

QString decimalItem(const QStringList& items, int index)
{
    return QString::number(itemValue(items, index));
}

} // namespace

namespace ValueDecoders {

QString single(const QString& bytes)
{
    return decimalItem(ByteListText::valueItems(bytes), 0);
}

QString pair(const QString& bytes)
{
    const QStringList items = ByteListText::valueItems(bytes);
    return decimalItem(items, 0) + QLatin1Char(',') + decimalItem(items, 1);
}

QString lighting(const QString& bytes)
{
    const QStringList items = ByteListText::valueItems(bytes);
    QString colour;
    for (int i = 3; i <= 5; ++i)
        colour += QString::number(itemValue(items, i), 16);
    const QStringList fields = {
        decimalItem(items, 0), decimalItem(items, 1), decimalItem(items, 2), colour,
        decimalItem(items, 6), decimalItem(items, 7), decimalItem(items, 8),
    };
    return fields.join(QLatin1Char(','));
}

Dpi dpi(const QString& bytes)
{
    const QStringList items = ByteListText::valueItems(bytes);
    Dpi out;
    const auto word = [&items](int low) { return (itemValue(items, low) & 0xFF) | (itemValue(items, low + 1) & 0xFF) << 8; };
    out.mode = itemValue(items, 0) & 0xFF;
    out.x = word(1) * 50;
    out.y = word(3) * 50;
    for (int i = 5; i <= 7; ++i)
        out.colour += QStringLiteral("%1").arg(itemValue(items, i) & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
    return out;
}

int dpiProperty(int slot)
{
    return slot >= 0 && slot <= 4 ? 50 + slot : slot;
}

} // namespace ValueDecoders
