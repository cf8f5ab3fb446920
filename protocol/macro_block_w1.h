#pragma once

#include <QString>
#include <QStringList>

#include "macro_steps.h"

class DeviceFunctions;
class DriverLookup;

// The W1.0 macro block of one button: the record count, the step bytes
// (each action three bytes, each pause two, a record being an action and its
// pause), 0x00, 0x05 and the check byte. Moves give no bytes on W1.0. A pause
// is held in two bytes: one longer than 65 535 ms is clamped to 65 535 ms,
// since a pause only exists as the tail of an action record and cannot be
// split into records of its own.
QStringList macroBlockW1(const MacroSteps& steps);

// The bytes of one step on W1.0; "" for a step that gives none.
QString macroStepBytesW1(const MacroStep& step);

// Start address of the block of the button with Index index (decimal):
// 0x31F + 0x180 * (index - 61), as hexadecimal text of at least two digits.
// "" when index is not a button's Index (61 .. 76): any other number would
// put the block over other settings of the device's memory.
QString macroBlockAddressW1(const QString& index);

// Writes the block for the button with Index index into the W1-family device
// deviceKey with the chunked block write. False for no steps, an index that
// is not a button's, a block longer than 383 bytes (it would run into the next
// button's block), or a refused write.
bool encodeMacroW1(DeviceFunctions& device, const MacroSteps& steps, const QString& deviceKey,
                   const QString& index);

// A "Macro" assignment of a W1-family button: parses the page's step list
// and writes the block (encodeMacroW1). False when the steps do not parse,
// there are none, or the block could not be written. The block holds no
// repeat count: the W1 write puts it into the button's macro reference.
bool macroBlockAssignmentW1(DriverLookup& lookup, DeviceFunctions& device, const QString& deviceKey,
                            const QString& index, const QString& steps);
