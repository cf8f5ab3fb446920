#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class DeviceFunctions;

// The hotkey record of a W1-family button: the entry count q, q three-byte
// entries (presses, then releases in reverse order) and a check byte.
namespace W1HotKeyRecord {

// At most six entries fit into a button's hotkey space.
constexpr int kMaxEntries = 6;
// Codes of fewer than this many keys are written as kind 0 records.
constexpr int kFirstPairedCount = 4;

// Kind 0 for fewer than four codes, kind 2 otherwise.
int kindForCount(int codeCount);

// The record bytes: q, the 3q entry bytes and the check byte
// (0x55 - q - sum of entry bytes) & 0xFF.
//
// Kind 0: one press and one release entry per code (at most three codes are
// used). A key code presses as 0x81, code, 0x00 and releases as 0x41; a
// modifier key code 0xE0 .. 0xE7 presses as 0x80, bit, 0x00 and releases
// as 0x40, where bit is 1 << (code & 0x1F).
// Kind 2: the codes in pairs (an odd last code gets 0x00 as partner, at most
// three pairs), each pair pressed as 0x82, c0, c1 and released as 0x42,
// c0, c1.
// An empty code list gives an empty record.
QByteArray build(const QList<quint8>& codes, int kind);

// The record as items of two hexadecimal digits.
QString toItems(const QByteArray& record);

} // namespace W1HotKeyRecord

// Writes a hotkey record into a button's hotkey space ten items at a time
// (mode 7 writes at the start address plus the items already sent), pausing
// after every chunk so that the device can store it.
class W1HotKeyWriter
{
public:
    using Pause = std::function<void(int milliseconds)>;

    static constexpr int kChunkItems = 10;
    static constexpr int kPauseMs = 300;

    explicit W1HotKeyWriter(DeviceFunctions& functions);

    // Replaces the pause between chunks (by default the thread sleeps).
    void setPause(Pause pause);

    // True when every chunk was accepted; stops at the first refused one.
    // An empty record or address writes nothing and answers false.
    bool write(const QString& deviceKey, const QString& address, const QByteArray& record);

private:
    DeviceFunctions& m_functions;
    Pause m_pause;
};
