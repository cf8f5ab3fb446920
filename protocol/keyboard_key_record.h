#pragma once

#include <QString>

struct ProfileKey;

// The fifteen-byte record of one key of a K2.0 (and K3.0) keyboard profile:
// an eleven-byte play header and the key's four-byte code, the layout of the
// K2.0 definition's HotKey row ("0x01", ten zeros, then 0x02 and the three
// hotkey bytes) and of its profile block (2250 bytes, 150 keys of 15).
namespace KeyboardKeyRecord {

constexpr int kRecordSize = 15;
constexpr int kCodeSize = 4;

// The eleven-byte header "0x01,%1,...,%10" filled from the key's play
// attributes: play way (the play manner, one byte in hexadecimal, as the
// M2.0 TaskManner), play count (decimal), play delay (decimal milliseconds,
// low byte then high byte, held at 65 535), play type (decimal), the three
// colour bytes of PlayLight (cut into two-character hexadecimal parts), play
// jitters and play voices (decimal). The first four follow the order of the
// M2.0 and M4.0 play bytes. An empty or unreadable attribute counts as 0; a
// number past a byte is held at 0xFF.
QString playHeader(const ProfileKey& key);

// The record of a key whose encoder gave code:
// - no code, or one longer than four bytes (not a key code): fifteen zero
//   bytes, the key is left unassigned;
// - a macro reference (first byte 0x04): "0x01", ten zeros and the code, as
//   the code stands: the macro carries its repeat count in its own end
//   record, so no play attribute goes into the header;
// - any other code: playHeader(key) and the code.
// Codes shorter than four bytes are padded with zeros.
QString record(const QString& code, const ProfileKey& key);

// Fifteen zero bytes.
QString emptyRecord();

} // namespace KeyboardKeyRecord
