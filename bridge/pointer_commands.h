#pragma once

class CommandTable;

// The desktop's pointer settings: "modifyMouseAcce",
// "ModifyWindowAcceleratedSpeed", "ModifyMouseScrollLines",
// "modifyMouseScrollLinesX" and "modifyMouseDoubleClick". Each reads the
// page's index or number from "Num" and answers nothing when "Num" is
// missing. The current values are reported by "GetWindowsMouseConfig".
void addPointerCommands(CommandTable& table);
