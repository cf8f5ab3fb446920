#pragma once

#include <QString>

// What one assignment encodes to: the byte list text ("" when nothing
// applies), and whether it was a macro with steps that could not be stored
// (they do not parse, do not fit, or no slot took them). A write reports
// such a macro as a failure instead of clearing the button.
struct EncodedAssignment
{
    QString code;
    bool macroFailed = false;

    static EncodedAssignment failedMacro() { return {QString(), true}; }
};
