#pragma once

#include "write_request.h"

class AssignmentEncoder;
class DeviceFunctions;
class ProfileDocument;

// The write of a K2.0 keyboard (and of K3.0, which uses the K2.0 definition).
// The assignment comes from the device's profile document, not from the
// request; the request's Index names what is written and is also the
// property id.
//
// - Lighting: when the first profile key with that Index (in any mode) has
//   a Name containing "Light", the request's Task is encoded with that Name
//   as TaskType, padded with zeros to the key's Length (decimal) and written
//   as property Index with that size. That is the only write of the request.
// - Key records: otherwise the request names the profile mode with that
//   Index, and every Key of the mode, in document order, is encoded from its
//   Type, Value and PlayCount (a "Macro" key stores its macro in the K2.0
//   units first) and written as one fifteen-byte record
//   (KeyboardKeyRecord) to property Index.
// - Index "5" always names profile mode 5: the key selection is skipped.
//
// False, with nothing more written, when the Index is not a property id, no
// mode and no lighting key has that Index, the lighting Length is not a
// positive number or the code is longer than it, an assignment is refused
// (a macro that cannot be stored, a malformed colour: see
// AssignmentEncoder),
// or the device refuses a write (records before it stay written).
bool writeKeyboardProfile(const ProfileDocument& profile, AssignmentEncoder& encoder, DeviceFunctions& device,
                          const WriteRequest& request);
