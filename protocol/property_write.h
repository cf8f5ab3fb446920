#pragma once

#include "write_request.h"

class AssignmentEncoder;
class DeviceFunctions;
class DriverLookup;

// The write of the families addressed by property (M1.0, M2.0, M4.0, K1.0):
// the assignment is encoded (a macro is stored in the device first) and
// written to the device as property Index.
//
// - An empty code (nothing applies, or an empty macro) writes eight zero
//   bytes, size 8.
// - On M2.0 and M4.0, "Macro", "MouseFunction", "HotKey" and "Keyboard"
//   codes get the four play bytes: play manner (TaskManner as given, "0" when
//   empty), repeat count (TaskCount, held at 0xFF) and the delay (TaskDelay,
//   held at 65 535 ms) low byte then high byte.
// - Index 45, where the definition's row there is the 10-byte empty slot
//   (the mouse families), writes the code read as a decimal number (held at
//   0xFF) and nine zeros.
// - Otherwise the code's bytes, the size being their count.
//
// False, with nothing written, when Index is not a property id, the
// assignment is refused (a macro that could not be stored, content that
// makes no whole code: see AssignmentEncoder), or the bytes are more than
// the Length of the Index's row; otherwise the device's answer.
// lookup: the definition in use.
bool writePropertyAssignment(const DriverLookup& lookup, AssignmentEncoder& encoder, DeviceFunctions& device,
                             const WriteRequest& request);
