#include "macro_encoding.h"

#include <QRegularExpression>

#include "device_family.h"
#include "driver_lookup.h"

namespace {

QString hex(quint64 value)
{
    return QString::number(value, 16);
}

QString twoDigits(quint32 value)
{
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0'));
}

QString pauseRecord(quint32 milliseconds)
{
    return QStringLiteral("0x06,%1,%2").arg(hex(milliseconds % 256), hex(milliseconds / 256));
}

} // namespace

QString macroMouseStepBytes(const MacroStep& step)
{
    const QString& type = step.type;
    if (type == QLatin1String("mDown"))
        return QStringLiteral("0x81,%1,0x00").arg(step.value);
    if (type == QLatin1String("mUp"))
        return QStringLiteral("0x01,%1,0x00").arg(step.value);
    if (type == QLatin1String("ScrollDown"))
        return QStringLiteral("0x03,0xff,0x00");
    if (type == QLatin1String("ScrollUp"))
        return QStringLiteral("0x03,0x01,0x00");
    return QString();
}

QString macroStepBytes(const MacroStep& step)
{
    const QString& type = step.type;
    if (type == QLatin1String("keyDown"))
        return QStringLiteral("0x84,%1,0x00").arg(step.value);
    if (type == QLatin1String("keyUp"))
        return QStringLiteral("0x04,%1,0x00").arg(step.value);
    const QString mouse = macroMouseStepBytes(step);
    if (!mouse.isEmpty())
        return mouse;
    if (type == QLatin1String("delay")) {
        quint64 milliseconds = 0;
        if (!macroPauseValue(step.value, &milliseconds))
            return QString();
        // One record holds at most 65 535 ms; a longer pause is split into
        // full records followed by the rest. A pause that needs more records
        // than a slot holds stops at one record more than fits: the macro is
        // refused as too long either way, and nothing near the count a page
        // may ask for (2^64 ms is 2.8e14 records) is ever built.
        const quint64 fullRecords = milliseconds / kMaxMacroPause;
        const quint32 rest = static_cast<quint32>(milliseconds % kMaxMacroPause);
        QStringList records;
        for (quint64 i = 0; i < qMin(fullRecords, kMaxPauseRecords); ++i)
            records << pauseRecord(kMaxMacroPause);
        if (fullRecords < kMaxPauseRecords && (rest != 0 || fullRecords == 0))
            records << pauseRecord(rest);
        return records.join(QLatin1Char(','));
    }
    if (type == QLatin1String("moveXY")) {
        quint32 x = 0;
        quint32 y = 0;
        if (!macroMoveValue(step.value, &x, &y))
            return QString();
        QStringList parts;
        if (x != 0) {
            const quint32 word = x & 0xFFFF;
            parts << QStringLiteral("0x85,%1,%2").arg(twoDigits(word >> 8), twoDigits(word));
        }
        if (y != 0) {
            // The device moves down for positive values; the page's y grows up.
            const quint32 word = (0x10000u - (y & 0xFFFF)) & 0xFFFF;
            parts << QStringLiteral("0x05,%1,%2").arg(twoDigits(word >> 8), twoDigits(word));
        }
        return parts.join(QLatin1Char(','));
    }
    return QString();
}

QStringList macroItems(const MacroSteps& steps, quint8 repeat, bool withEndRecord)
{
    if (steps.isEmpty())
        return QStringList();
    QStringList items;
    for (const MacroStep& step : steps) {
        items << macroStepBytes(step).split(QLatin1Char(','), Qt::SkipEmptyParts);
        // Past a slot the macro is refused anyway: stop building.
        if (items.size() > kMacroSlotSize)
            return items;
    }
    if (withEndRecord)
        items << QStringLiteral("0x07") << hex(repeat) << QStringLiteral("0x00");
    return items;
}

QStringList padMacroItems(QStringList items)
{
    while (items.size() < kMacroSlotSize)
        items << QStringLiteral("0x00");
    return items;
}

bool macroWithoutEndRecord(const QString& driverVersion)
{
    const DeviceFamily* family = DeviceFamilies::find(driverVersion);
    return family && family->repeatInButtonCode;
}

bool macroRepeatCount(const QString& taskCount, quint8* repeat)
{
    static const QRegularExpression kNumber(QStringLiteral("^[+-]?[0-9]+$"));
    const QString digits = taskCount.trimmed();
    qlonglong value = 0;
    if (kNumber.match(digits).hasMatch()) {
        // A number that does not fit the byte is refused rather than
        // stored as some other count.
        bool ok = false;
        value = digits.toLongLong(&ok, 10);
        if (!ok || value < 0 || value > 0xFF)
            return false;
    }
    if (repeat)
        *repeat = static_cast<quint8>(value);
    return true;
}

QString macroButtonCode(int slot, int itemCount)
{
    return QStringLiteral("0x04,%1,%2,%3").arg(QStringLiteral("0"), hex(slot), hex(itemCount));
}

QString macroButtonCodeK2(int slot, int itemCount)
{
    return QStringLiteral("0x04,%1,%2,0x00").arg(hex(slot), hex(itemCount));
}

QString encodeMacro(const DriverLookup& lookup, DeviceFunctions& device, const QString& deviceKey,
                    const MacroSteps& steps, const QString& taskCount, bool keyboardMode)
{
    quint8 repeat = 0;
    if (steps.isEmpty() || !macroRepeatCount(taskCount, &repeat))
        return QString();
    const QStringList items =
        macroItems(steps, repeat, !macroWithoutEndRecord(lookup.loadedDriverVersion()));
    // The button code carries the item count in one byte and the slot holds
    // 200 bytes: a longer macro cannot be played back whole.
    if (items.isEmpty() || items.size() > kMacroSlotSize)
        return QString();
    const QString bytes = padMacroItems(items).join(QLatin1Char(','));

    bool stored = false;
    const QString slot = keyboardMode ? storeMacroK2(lookup, device, deviceKey, bytes, &stored)
                                      : storeMacro(lookup, device, deviceKey, bytes, &stored);
    if (!stored)
        return QString();
    const int slotNumber = slot.toInt();
    return keyboardMode ? macroButtonCodeK2(slotNumber, items.size()) : macroButtonCode(slotNumber, items.size());
}

EncodedAssignment macroAssignment(DriverLookup& lookup, DeviceFunctions& device, const QString& deviceKey,
                                  const QString& steps, const QString& taskCount, bool keyboardMode)
{
    bool parsed = false;
    const MacroSteps macro = parseMacroSteps(lookup, steps, &parsed);
    if (!parsed)
        return EncodedAssignment::failure();
    if (macro.isEmpty())
        return {};
    const QString code = encodeMacro(lookup, device, deviceKey, macro, taskCount, keyboardMode);
    if (code.isEmpty())
        return EncodedAssignment::failure();
    return {code};
}
