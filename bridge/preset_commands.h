#pragma once

class CommandTable;

// The presets that follow the window in front: "GetPresets", "SavePresets",
// "SetActivePreset", "GetFocusWindows" and "PausePresets".
void addPresetCommands(CommandTable& table);
