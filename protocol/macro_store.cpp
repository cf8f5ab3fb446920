#include "macro_store.h"

#include <QList>
#include <QPair>
#include <QStringList>

#include "device_functions.h"
#include "driver_lookup.h"

namespace {

constexpr int kK2Units = 20;
constexpr int kK2FirstUnit = 181;

// The slot address of a Driver definition row as the device functions take
// it, or "" when it is no hexadecimal number. The M1.0 and M2.0 documents
// write five slot addresses with a letter O where the slot rule
// (0xA00 + 0xC8 * n) has its final zero ("0xEBO" for 0xEB0); those are read
// as the zero, so the store keeps all thirty slots and never sends an
// unparsable address (which the device functions would read as 0).
QString slotAddress(const QString& code)
{
    QString digits = code.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    digits.replace(QLatin1Char('O'), QLatin1Char('0')).replace(QLatin1Char('o'), QLatin1Char('0'));
    bool ok = false;
    digits.toUInt(&ok, 16);
    return ok ? QStringLiteral("0x") + digits : QString();
}

QString zeros()
{
    QStringList items;
    for (int i = 0; i < kMacroSlotSize; ++i)
        items << QStringLiteral("0x00");
    return items.join(QLatin1Char(','));
}

void report(bool* stored, bool value)
{
    if (stored)
        *stored = value;
}

} // namespace

QString storeMacro(const DriverLookup& lookup, DeviceFunctions& device, const QString& deviceKey,
                   const QString& bytes, bool* stored)
{
    report(stored, false);

    // Slot number and address of every slot with a usable address.
    QList<QPair<int, QString>> areas;
    const int count = lookup.lengthOfKey(QStringLiteral("MacroData")).toInt();
    for (int i = 0; i < count; ++i) {
        const QString address = slotAddress(lookup.codeOfTask(QStringLiteral("Macro") + QString::number(i)));
        if (!address.isEmpty())
            areas << qMakePair(i, address);
    }
    if (areas.isEmpty())
        return QStringLiteral("0");

    // The second pass follows an erase of the full store; a device that still
    // offers no free slot gets no third.
    for (int pass = 0; pass < 2; ++pass) {
        bool lastFree = false;
        for (const auto& slot : areas) {
            lastFree = device.isAddressBlank(deviceKey, slot.second, kMacroSlotSize);
            if (lastFree && device.writeAddress(deviceKey, slot.second, kMacroSlotSize, bytes)) {
                report(stored, true);
                return QString::number(slot.first);
            }
        }
        if (lastFree || pass == 1)
            break;
        const QString empty = zeros();
        for (const auto& slot : areas)
            device.writeAddress(deviceKey, slot.second, kMacroSlotSize, empty);
    }
    return QStringLiteral("0");
}

QString storeMacroK2(const DriverLookup& lookup, DeviceFunctions& device, const QString& deviceKey,
                     const QString& bytes, bool* stored)
{
    report(stored, false);

    bool ok = false;
    const int base = lookup.codeOfTask(QStringLiteral("MacroData")).trimmed().toInt(&ok, 10);
    if (!ok)
        return QStringLiteral("0");

    if (!device.isPropertyBlank(deviceKey, base + kK2Units - 1, kMacroSlotSize)) {
        const QString empty = zeros();
        for (int unit = base; unit < base + kK2Units; ++unit)
            device.writeProperty(deviceKey, unit, empty, kMacroSlotSize);
    }
    for (int unit = kK2FirstUnit; unit < kK2FirstUnit + kK2Units; ++unit) {
        if (!device.isPropertyBlank(deviceKey, unit, kMacroSlotSize))
            continue;
        if (!device.writeProperty(deviceKey, unit, bytes, kMacroSlotSize))
            return QStringLiteral("0");
        report(stored, true);
        return QString::number(unit - kK2FirstUnit);
    }
    return QStringLiteral("0");
}
