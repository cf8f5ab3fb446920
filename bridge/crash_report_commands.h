#pragma once

class CommandTable;

// The crash reports kept from earlier crashes (Settings › Diagnostics):
// "GetCrashReports" lists them, "ReadCrashReport" answers one's text,
// "SaveCrashReport" writes one where the user chooses.
void addCrashReportCommands(CommandTable& table);
