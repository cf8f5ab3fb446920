#pragma once

#include <QHash>
#include <QString>

struct Dwfl;

// Names the function, source file and line of an address in a module
// (a program or shared library on disk), from its symbol table and DWARF
// line table through elfutils' libdw. Separate debug information is found
// the usual ways (.gnu_debuglink, /usr/lib/debug/.build-id).
class ReportSymbolizer
{
public:
    struct Location
    {
        QString function; // demangled; empty when no symbol covers the address
        QString file;
        int line = 0;
    };

    ReportSymbolizer() = default;
    ~ReportSymbolizer();
    ReportSymbolizer(const ReportSymbolizer&) = delete;
    ReportSymbolizer& operator=(const ReportSymbolizer&) = delete;

    // offset: from the start of the module's first mapping, as the crash
    // report gives it. A return address (every frame but the first) is
    // looked up one byte earlier, inside the call that it follows.
    Location locate(const QString& modulePath, quint64 offset, bool returnAddress);

private:
    Dwfl* session(const QString& modulePath);
    QHash<QString, Dwfl*> m_sessions; // one per module; null when unreadable
};
