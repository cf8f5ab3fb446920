#pragma once

class CommandTable;

// The input automation commands: the keyboard capture of macro recording
// ("mouseTracks", "modifyMouseAccel"), the keyboard settings of the desktop
// ("GetWindowsKeyboreadConfig") and the software remapping
// ("RefreshVirtualDrive").
void addAutomationCommands(CommandTable& table);
