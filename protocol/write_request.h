#pragma once

#include <QString>

// One page write request (the "WriteDevice" command), all members as the page
// sends them: the device key, the Driver definition to use, the parameter
// number (decimal), the content and kind of the assignment, and the repeat
// count (decimal), delay (decimal milliseconds) and play manner (one byte,
// hexadecimal) that the M2.0 and M4.0 button codes carry.
struct WriteRequest
{
    QString version;
    QString driverVersion;
    QString index;
    QString task;
    QString taskType;
    QString taskCount;
    QString taskDelay;
    QString taskManner;
};

// The property id of a request's Index: a decimal number from 0 to 255 (the
// transport's property ids). False for anything else, which must not reach
// the device as property 0.
inline bool propertyIdOf(const QString& index, int* id)
{
    bool ok = false;
    const uint value = index.trimmed().toUInt(&ok, 10);
    if (!ok || value > 0xFF)
        return false;
    if (id)
        *id = int(value);
    return true;
}
