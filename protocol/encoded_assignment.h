#pragma once

#include <QString>

// What one assignment encodes to: the byte list text ("" when nothing
// applies), and whether the assignment was refused: a macro whose steps
// could not be stored (they do not parse, do not fit, or no slot took
// them), or content that does not make a whole code (a rapid fire on a key
// the table does not know, a DPI stage or colour that is cut short or
// malformed). A write reports a refused assignment as a failure and writes
// nothing, instead of clearing the button or the stage.
struct EncodedAssignment
{
    QString code;
    bool failed = false;

    static EncodedAssignment failure() { return {QString(), true}; }
};
