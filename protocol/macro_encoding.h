#pragma once

#include <QString>
#include <QStringList>

#include "encoded_assignment.h"
#include "macro_steps.h"
#include "macro_store.h"

class DeviceFunctions;
class DriverLookup;

// Macro bytes of the mouse, K1.0 and K2.0 families. Each step becomes three
// bytes; the list ends with the repeat record, is padded to one 200-byte
// macro slot and stored in a free slot of the device, and the button gets
// the code that plays that slot.

// Pause records (three bytes each) one step gives at most: one more than a
// slot holds.
constexpr quint64 kMaxPauseRecords = kMacroSlotSize / 3 + 1;

// Mouse-button and wheel steps, whose bytes every family shares; "" for
// any other step.
QString macroMouseStepBytes(const MacroStep& step);

// The bytes of one step, "0x84,04,0x00" style; "" for a step that gives no
// bytes (a move by 0,0 or an unknown type). A pause longer than 65 535 ms is
// written as several pause records, each at most 65 535 ms, so that the high
// byte never overflows; a pause too long for any slot gives
// kMaxPauseRecords records, never more.
QString macroStepBytes(const MacroStep& step);

// The unpadded items of the macro: every step's bytes and, unless
// withEndRecord is false (M2.0 and M4.0 carry the repeat count in the button
// code), the end record 0x07,repeat,0x00. Empty for no steps. The list stops
// growing once it is longer than a slot (such a macro cannot be stored), so
// its length stays bounded whatever the steps ask for.
QStringList macroItems(const MacroSteps& steps, quint8 repeat, bool withEndRecord);

// items padded with "0x00" to 200; a longer list stays as it is.
QStringList padMacroItems(QStringList items);

// True for the Driver definitions whose macros carry no end record.
bool macroWithoutEndRecord(const QString& driverVersion);

// The repeat count of TaskCount (decimal). Empty or unreadable text counts
// as 0, as the other decimal fields do; a number outside 0..255 gives
// false.
bool macroRepeatCount(const QString& taskCount, quint8* repeat);

// Button codes that play the stored slot: mouse and K1.0
// "0x04,0,slot,count", K2.0 "0x04,slot,count,0x00" (slot and item count in
// hexadecimal).
QString macroButtonCode(int slot, int itemCount);
QString macroButtonCodeK2(int slot, int itemCount);

// Encodes the steps for the Driver definition in use, stores them in the
// device named by deviceKey (the K2.0 units when keyboardMode is set, else
// the Macro0.. slots) and answers the button code. "" when there are no
// steps, the repeat count is a number outside 0..255, the macro is longer than a slot, or
// no slot took it.
QString encodeMacro(const DriverLookup& lookup, DeviceFunctions& device, const QString& deviceKey,
                    const MacroSteps& steps, const QString& taskCount, bool keyboardMode);

// A "Macro" assignment of the mouse, K1.0 and K2.0 families: parses the
// page's step list, stores the macro in the device (encodeMacro) and
// answers the button code. A list without steps gives "" (the button is
// cleared); steps that do not parse or cannot be stored give a failed macro.
EncodedAssignment macroAssignment(DriverLookup& lookup, DeviceFunctions& device, const QString& deviceKey,
                                  const QString& steps, const QString& taskCount, bool keyboardMode);
