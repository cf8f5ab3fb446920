#include "byte_list_text.h"

namespace ByteListText {

bool readHex(const QString& text, quint32* value)
{
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    bool ok = false;
    *value = digits.toUInt(&ok, 16);
    return ok;
}

quint32 hexValue(const QString& text)
{
    quint32 value = 0;
    readHex(text, &value);
    return value;
}

int decimalValue(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

QByteArray bytesOfList(const QStringList& items)
{
    QByteArray bytes;
    bytes.reserve(items.size());
    for (const QString& item : items)
        bytes.append(static_cast<char>(hexValue(item) & 0xFF));
    return bytes;
}

QString prefixedByteList(const QByteArray& bytes)
{
    QStringList items;
    items.reserve(bytes.size());
    for (const char byte : bytes)
        items << QStringLiteral("0x%1").arg(static_cast<quint8>(byte), 2, 16, QLatin1Char('0'));
    return items.join(QLatin1Char(','));
}

QStringList listItems(const QString& text)
{
    if (text.isEmpty())
        return {};
    return text.split(QLatin1Char(','));
}

QStringList valueItems(const QString& text)
{
    return text.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

bool isW1FamilyKey(const QString& key)
{
    return (hexValue(key) & 0xFFFFFF00u) == 0x25A7FA00u;
}

} // namespace ByteListText
