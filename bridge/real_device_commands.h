#pragma once

class CommandTable;

// What the user chooses for a real device: "SetDeviceAccessLevel" keeps a
// dry run or the experimental opt-in for the exact device a record names
// (read-only forgets the choice).
void addRealDeviceCommands(CommandTable& table);
