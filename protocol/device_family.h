#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The device families: one record per Driver version the pages name
// ("M1.0", "M2.0", "M4.0", "K1.0", "K2.0", "K3.0", "W1.0"), with what differs
// between them. Every question of the form "is this family one that ..."
// is answered here; the Driver definitions hold the codes.
//
// The records are the document ":/drive/families.json", read once. The
// pages get the same document ("GetDeviceFamilies"), so both sides read one
// table. Members the program reads:
//   kind                "mouse" or "keyboard"
//   definition          the Driver definition the family is written with
//                       (absent: its own version)
//   keyRange            [first, last]: device keys that belong to the family
//                       whatever the request names (the W1 range)
//   writer              "property" (one property per setting), "address"
//                       (written by memory address, with check bytes) or
//                       "keyboardProfile" (a whole profile mode from the
//                       device's profile document)
//   macroStore          "slots" (the definition's Macro rows), "units" (the
//                       twenty keyboard storage units) or "block" (one block
//                       per button)
//   repeatInButtonCode  the button code carries the play manner, count and
//                       delay, and a macro has no end record
//   mediaColour         a six-digit "MultiMedia" task is a colour
//   resetByAddress      "RestDevice" writes the reset address instead of
//                       sending the reset command
//   periodicReset       the devices get that reset every ten seconds
// The other members (functions, rapidFire, keyColours, dpiUnit, hotkey,
// lighting, reportRates, ...) are for the pages.
struct DeviceFamily {
    enum class Writer { Property, Address, KeyboardProfile };
    enum class MacroStore { Slots, Units, Block };

    QString version;
    QString kind;
    QString definition;
    Writer writer = Writer::Property;
    MacroStore macroStore = MacroStore::Slots;
    bool repeatInButtonCode = false;
    bool mediaColour = false;
    bool resetByAddress = false;
    bool periodicReset = false;
    // Device keys of the family whatever the request names; 0..0: none.
    quint32 firstKey = 0;
    quint32 lastKey = 0;

    bool ownsKey(quint32 key) const { return lastKey != 0 && key >= firstKey && key <= lastKey; }
};

namespace DeviceFamilies {

// The record of a Driver version; null for one the table does not hold
// ("K4.0", anything a page makes up).
const DeviceFamily* find(const QString& version);

// The family a device key belongs to by its range (the W1 family); null
// for a key no family claims.
const DeviceFamily* ofDeviceKey(const QString& key);

// The family that decides how a write request is carried out: the named
// family when it writes a keyboard profile, else the family that claims
// the device key, else the named family; null when the named one is
// unknown.
const DeviceFamily* forWrite(const QString& deviceKey, const QString& driverVersion);

// Every version in the table.
QStringList versions();

// The document as the pages get it (compact JSON).
QByteArray document();

} // namespace DeviceFamilies
