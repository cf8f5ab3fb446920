#pragma once

#include <QtGlobal>

// The Linux key code (KEY_*) of a USB HID keyboard usage, as the kernel's
// own HID driver maps them: letters, digits, the main block, function keys
// F1 to F24, navigation, the keypad, the international and language keys,
// the editing keys of the keyboard page, the eight modifiers (0xE0 to 0xE7)
// and the media usages that keyboards put after them. 0 for a usage with no
// key (0x00 to 0x03 included: no event and the error codes).
quint16 linuxKeyForHidUsage(quint8 usage);

// The Linux key code of modifier bit 0..7 of a keyboard report (left
// control .. right GUI).
quint16 linuxKeyForModifierBit(int bit);
