#include "key_name_tables.h"

namespace KeyNameTables {

const QStringList& lightingMatrix()
{
    static const QStringList matrix = {
        // Row 0: positions 0-20.
        "ESC", "", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
        "PRINTSCREEN", "SCROLLLOCK", "PAUSE", "", "", "", "",
        // Row 1: positions 21-41.
        "TILDE", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "MINUS", "EQUAL", "BACKSPACE",
        "INSERT", "HOME", "PAGEUP", "NUMLOCK", "NUMSLASH", "NUMSTAR", "NUMMINUS",
        // Row 2: positions 42-62.
        "TAB", "Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "LBRACKET", "RBRACKET", "BACKSLASH",
        "DELETE", "END", "PAGEDOWN", "NUM7", "NUM8", "NUM9", "NUMPLUS",
        // Row 3: positions 63-83.
        "CAPSLOCK", "A", "S", "D", "F", "G", "H", "J", "K", "L", "SEMICOLON", "QUOTE", "ENTER",
        "", "", "", "", "NUM4", "NUM5", "NUM6", "",
        // Row 4: positions 84-104.
        "LSHIFT", "Z", "X", "C", "V", "B", "N", "M", "COMMA", "PERIOD", "SLASH", "", "RSHIFT",
        "", "", "UP", "", "NUM1", "NUM2", "NUM3", "NUMENTER",
        // Row 5: positions 105-125.
        "LCTRL", "LWIN", "LALT", "", "", "SPACEBAR", "", "", "", "RALT", "FN", "APPKEY", "",
        "RCTRL", "LEFT", "DOWN", "RIGHT", "NUM0", "", "NUMPERIOD", "",
    };
    return matrix;
}

const QStringList& keyNameList()
{
    static const QStringList names = [] {
        QStringList list;
        for (const QString& name : lightingMatrix()) {
            if (!name.isEmpty())
                list << name;
        }
        return list;
    }();
    return names;
}

} // namespace KeyNameTables
