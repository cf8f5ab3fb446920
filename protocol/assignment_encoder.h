#pragma once

#include <QString>

#include <functional>

#include "encoded_assignment.h"
#include "w1_hotkey_record.h"

class DeviceFunctions;
class DriverLookup;

// Turns a page assignment (TaskType, Task, TaskCount) into the byte list
// text written to the device, using the Driver definition in use for the
// codes of functions and keys. Every encoding first clears the lookup's two
// key-code modes (macro encoding, single hotkey) and sets them as it goes;
// they stay as the encoding left them until the next one, so that lookups
// the caller makes in between see them.
class AssignmentEncoder
{
public:
    // Stores the steps of a macro assignment and answers its reference code:
    // "" for a list without steps, a failed macro when they cannot be
    // stored.
    using MacroReference = std::function<EncodedAssignment(const QString& steps, const QString& count)>;
    // Stores the steps of a macro assignment in a W1-family device's macro
    // block; count is the repeat count as two hexadecimal digits. True when
    // the block was written.
    using W1MacroWriter = std::function<bool(const QString& deviceId, const QString& index, const QString& steps,
                                             const QString& count)>;

    // functions: where hotkey records of W1-family buttons are written.
    AssignmentEncoder(DriverLookup& lookup, DeviceFunctions& functions);

    void setMacroReference(MacroReference reference);
    void setW1MacroWriter(W1MacroWriter writer);
    // The pause after each chunk of a W1 hotkey record (300 ms by default).
    void setHotKeyPause(W1HotKeyWriter::Pause pause);

    // For the M1.0, M2.0, M4.0, K1.0 and K2.0 definitions. The code is ""
    // when nothing applies. Refused (nothing is to be written): a macro
    // that cannot be stored, a rapid fire ("GKey") of fewer than three parts
    // or on a key name the table does not know, a DPI stage of fewer than
    // three parts or with a colour that is not six hexadecimal digits, a
    // "LightRGB" colour that is not. Numbers that do not parse count as 0.
    EncodedAssignment encodeAssignment(const QString& taskType, const QString& task, const QString& taskCount);

    // For the W1 family (definition W1.0), addressed by device id and Index.
    // The code, or the word "HotKey" or "Macro" once a hotkey record or a
    // macro block has been stored in the device, for which the caller writes
    // a reference. "" when nothing applies or the device refused; a macro
    // block that could not be written, and the content refused as above, are
    // refused.
    EncodedAssignment encodeAssignmentW1(const QString& version, const QString& index, const QString& taskType,
                                         const QString& task, const QString& taskCount);

    // The hotkey code of "HotKey", "Keyborad" and "Keyboard" assignments.
    QString hotKeyCode(const QString& taskType, const QString& task);

private:
    void clearFlags();
    EncodedAssignment macroCode(const QString& task, const QString& taskCount);
    EncodedAssignment rapidFireCode(const QString& task);
    EncodedAssignment dpiStage(const QString& task);
    QString w1HotKey(const QString& version, const QString& index, const QString& taskType, const QString& task);
    EncodedAssignment w1Macro(const QString& version, const QString& index, const QString& task,
                              const QString& taskCount);

    DriverLookup& m_lookup;
    MacroReference m_macroReference;
    W1MacroWriter m_w1MacroWriter;
    W1HotKeyWriter m_hotKeyWriter;
};
