#pragma once

class CommandTable;

// Settings and system commands: "GetLocalConf", "ReadConf", "WriteConf",
// "OpenEXE", "OpenUrl", "SetIME", "GetDefaultLanguage".
void addSettingsCommands(CommandTable& table);
