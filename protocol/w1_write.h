#pragma once

#include "write_request.h"

class AssignmentEncoder;
class DeviceFunctions;
class DriverLookup;

// The write of a W1-family device (keys 25A7FA00 .. 25A7FAFF, definition
// W1.0), addressed by memory: the Addr and Length (hexadecimal) of the
// Index's row, the encoded bytes written there with mode 7, then the check
// byte (0x55 - sum of the bytes) & 0xFF at Addr + Length.
//
// - A hotkey, once its record is in the button's hotkey space, is written as
//   "0x05,0x00,0x00"; a macro, once its block is written, as
//   0x06, (Index - 61) and the repeat count (TaskCount in decimal, 1 when it
//   is below 1, held at 0xFF), three bytes.
// - Index 43 (light strip): the fifth item is decimal and is written in
//   hexadecimal (held at 0xFF).
// - "DPIRGB" writes the stage colour to the colour row of the stage: Index
//   50 .. 57 and 201 .. 208 both name the row 201 .. 208.
//
// False, with nothing written, when the Index has no Addr and Length (no
// hotkey record or macro block is stored for it either; a macro or hotkey
// only on a button, Index 61 .. 76), the code is empty (nothing applies,
// the hotkey record could not be written), the assignment is refused (a
// macro block that could not be written, content that makes no whole code:
// see AssignmentEncoder), or an Index 43 value has fewer than five items. When the device refuses the
// data the check byte is not written: the answer is false. Otherwise the
// answer is that of the check-byte write.
// lookup: the W1.0 definition in use; encoder: the request's encoder.
bool writeW1Assignment(const DriverLookup& lookup, AssignmentEncoder& encoder, DeviceFunctions& device,
                       const WriteRequest& request);
