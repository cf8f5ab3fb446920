#pragma once

#include <QString>

class ReportSymbolizer;

// A crash report with its stack made readable: each frame line the crash
// handler wrote ("#3 0x7f… /usr/lib/…/libfoo.so+0x1a2b") gains the function
// and, where debug information exists, the source file and line:
//   #3 0x7f… /usr/lib/…/libfoo.so+0x1a2b in Foo::bar() at foo.cpp:42
// Every other line stays as it is, and a frame line that already carries
// more (a report symbolised before) is left alone, so doing it twice
// changes nothing.
QString symbolisedReport(const QString& report, ReportSymbolizer& symbolizer);

// Whether a report has a frame line still to be symbolised.
bool needsSymbols(const QString& report);
