#pragma once

#include "write_request.h"

class AssignmentEncoder;
class DeviceFunctions;

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
// - Index 45 writes the code read as a decimal number (held at 0xFF) and nine
//   zeros.
// - Otherwise the code's bytes, the size being their count.
//
// False, with nothing written, when Index is not a property id or a macro
// could not be stored (its steps do not parse, it does not fit a slot, or no
// slot takes it); otherwise the device's answer.
bool writePropertyAssignment(AssignmentEncoder& encoder, DeviceFunctions& device, const WriteRequest& request);
