#pragma once

#include <QString>

class DeviceFunctions;

// Writes a byte list into a W1-family device's memory from startAddress
// (hexadecimal) on, ten bytes per mode 7 write, each chunk at the start
// address plus the bytes already sent. Stops at the first write the device
// refuses and answers false; true when every chunk went out (an empty list
// sends nothing).
bool writeBlockInChunks(DeviceFunctions& device, const QString& key, const QString& startAddress,
                        const QString& data);
