#include "macro_block_w1.h"

#include "block_write.h"
#include "byte_list_text.h"
#include "macro_encoding.h"

namespace {

constexpr int kRecordSize = 5;
constexpr quint32 kFirstBlock = 0x31F;
constexpr quint32 kBlockStride = 0x180;
constexpr int kFirstButtonIndex = 61;
// Buttons 1 .. 16 (Index 61 .. 76) have a macro block each.
constexpr int kButtons = 16;

bool isModifier(quint32 code)
{
    return code >= 0xE0 && code <= 0xE7;
}

// Modifier keys travel as their bit in the modifier byte: E0 is 01, E7 is 80.
QString modifierBit(quint32 code)
{
    return QStringLiteral("%1").arg(1u << (code & 0x1F), 2, 16, QLatin1Char('0'));
}

QString keyBytes(const MacroStep& step, const char* plainType, const char* modifierType)
{
    quint32 code = 0;
    if (ByteListText::readHex(step.value, &code) && isModifier(code))
        return QStringLiteral("%1,%2,0x00").arg(QLatin1String(modifierType), modifierBit(code));
    return QStringLiteral("%1,%2,0x00").arg(QLatin1String(plainType), step.value);
}

} // namespace

QString macroStepBytesW1(const MacroStep& step)
{
    const QString& type = step.type;
    if (type == QLatin1String("keyDown"))
        return keyBytes(step, "0x81", "0x80");
    if (type == QLatin1String("keyUp"))
        return keyBytes(step, "0x41", "0x40");
    const QString mouse = macroMouseStepBytes(step);
    if (!mouse.isEmpty())
        return mouse;
    if (type == QLatin1String("delay")) {
        quint64 milliseconds = 0;
        if (!macroPauseValue(step.value, &milliseconds))
            return QString();
        const quint64 pause = qMin<quint64>(milliseconds, kMaxMacroPause);
        return QStringLiteral("%1,%2").arg(QString::number(pause / 256, 16), QString::number(pause % 256, 16));
    }
    return QString();
}

QStringList macroBlockW1(const MacroSteps& steps)
{
    if (steps.isEmpty())
        return QStringList();
    QStringList items;
    for (const MacroStep& step : steps)
        items << macroStepBytesW1(step).split(QLatin1Char(','), Qt::SkipEmptyParts);
    items << QStringLiteral("0x00") << QStringLiteral("0x05");
    items.prepend(QString::number(items.size() / kRecordSize, 16));

    quint32 sum = 0;
    for (const QString& item : items) {
        quint32 value = 0;
        ByteListText::readHex(item, &value);
        sum += value;
    }
    items << QStringLiteral("%1").arg((0x55u - sum) & 0xFF, 2, 16, QLatin1Char('0'));
    return items;
}

QString macroBlockAddressW1(const QString& index)
{
    bool ok = false;
    const int value = index.trimmed().toInt(&ok, 10);
    if (!ok || value < kFirstButtonIndex || value >= kFirstButtonIndex + kButtons)
        return QString();
    const int button = value - kFirstButtonIndex;
    return QStringLiteral("%1").arg(kFirstBlock + kBlockStride * button, 2, 16, QLatin1Char('0'));
}

bool encodeMacroW1(DeviceFunctions& device, const MacroSteps& steps, const QString& deviceKey,
                   const QString& index)
{
    const QString address = macroBlockAddressW1(index);
    const QStringList block = macroBlockW1(steps);
    // A block runs up to the start of the next button's block.
    if (address.isEmpty() || block.isEmpty() || block.size() > static_cast<int>(kBlockStride) - 1)
        return false;
    return writeBlockInChunks(device, deviceKey, address, block.join(QLatin1Char(',')));
}

bool macroBlockAssignmentW1(DriverLookup& lookup, DeviceFunctions& device, const QString& deviceKey,
                            const QString& index, const QString& steps)
{
    bool parsed = false;
    const MacroSteps macro = parseMacroSteps(lookup, steps, &parsed);
    return parsed && !macro.isEmpty() && encodeMacroW1(device, macro, deviceKey, index);
}
