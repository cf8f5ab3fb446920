#pragma once

class CommandTable;

// The device commands: "GetVirtualDevice", "WriteRGBDevice",
// "GetDevicesList", "RestDevice", "ReadDevicesDpiVal", "WriteDevice",
// "GetWindowsMouseConfig". They run on the dispatcher's thread.
void addDevicePageCommands(CommandTable& table);
