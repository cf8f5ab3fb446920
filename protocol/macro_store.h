#pragma once

#include <QString>

class DeviceFunctions;
class DriverLookup;

// Bytes of a macro slot (and of a K2.0 storage unit).
constexpr int kMacroSlotSize = 200;

// Stores an encoded macro (200 comma-separated bytes) in a free macro area
// of the device named by deviceKey and answers the slot number as decimal
// text. Which areas are free is asked of the device each time: an area that
// reads as all zeros can take a macro.
//
// Mouse and K1.0 scheme: the slots are the Macro0 .. Macro<n-1> areas of the
// Driver definition in use (n the Length of "MacroData"); the first free
// slot whose write succeeds takes the macro. When the last slot is taken the
// store is full: every slot is erased (written with zeros) and the search
// runs once more. A slot whose address is not a hexadecimal number is never
// probed, written or erased: the device layer would read such an address as
// 0 and overwrite the start of the device's memory.
//
// stored (optional) tells whether a slot took the macro; when none did the
// answer is "0" and stored is false.
QString storeMacro(const DriverLookup& lookup, DeviceFunctions& device, const QString& deviceKey,
                   const QString& bytes, bool* stored = nullptr);

// K2.0 scheme: twenty storage units from the Code of "MacroData" (181) on.
// When the last unit is taken all twenty are erased first; the first free
// unit takes the macro and the answer is its number minus 181. No free unit,
// or a refused write, gives "0" with stored false.
QString storeMacroK2(const DriverLookup& lookup, DeviceFunctions& device, const QString& deviceKey,
                     const QString& bytes, bool* stored = nullptr);
