#include "keyboard_key_record.h"

#include <QStringList>

#include "assignment_format.h"
#include "byte_list_text.h"
#include "profile_document.h"

namespace KeyboardKeyRecord {

namespace {

constexpr quint32 kMacroClass = 0x04;

QString byteText(quint32 value)
{
    return QStringLiteral("%1").arg(qMin<quint32>(value, 0xFF), 2, 16, QLatin1Char('0'));
}

// A decimal attribute; 0 when empty or unreadable, negative values too.
quint32 decimal(const QString& text)
{
    bool ok = false;
    const qulonglong value = text.trimmed().toULongLong(&ok, 10);
    return ok ? quint32(qMin<qulonglong>(value, 0xFFFFFFFFull)) : 0;
}

QStringList zeros(int count)
{
    return AssignmentFormat::padWithZeros(QStringList(), count);
}

} // namespace

QString playHeader(const ProfileKey& key)
{
    const quint32 delay = qMin<quint32>(decimal(key.playDelay), 0xFFFF);
    QStringList items{QStringLiteral("0x01"),
                      byteText(ByteListText::hexValue(key.playWay)),
                      byteText(decimal(key.playCount)),
                      byteText(delay & 0xFF),
                      byteText(delay >> 8),
                      byteText(decimal(key.playType))};
    for (int part = 0; part < 3; ++part)
        items << byteText(ByteListText::hexValue(key.playLight.mid(2 * part, 2)));
    items << byteText(decimal(key.playJitters)) << byteText(decimal(key.playVoices));
    return items.join(QLatin1Char(','));
}

QString emptyRecord()
{
    return zeros(kRecordSize).join(QLatin1Char(','));
}

QString record(const QString& code, const ProfileKey& key)
{
    const QStringList items = code.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (items.isEmpty() || items.size() > kCodeSize)
        return emptyRecord();
    const QString codeBytes = AssignmentFormat::padWithZeros(items, kCodeSize).join(QLatin1Char(','));
    if (ByteListText::hexValue(items.first()) == kMacroClass)
        return (QStringList{QStringLiteral("0x01")} + zeros(10)).join(QLatin1Char(',')) + QLatin1Char(',')
            + codeBytes;
    return playHeader(key) + QLatin1Char(',') + codeBytes;
}

} // namespace KeyboardKeyRecord
