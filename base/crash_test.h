#pragma once

#include <QString>
#include <QStringList>

// Crashing on purpose, to test the crash handler and the reporter:
// --crash-test=segv|abort|throw|purecall on the program and orvanta-cli.
namespace CrashTest {

// The kind named by a "--crash-test=KIND" argument; empty without one.
QString kindFromArguments(const QStringList& arguments);

bool isKnownKind(const QString& kind);

// Crashes the way kind says (an invalid write, abort(), an uncaught
// exception, a pure virtual call). Returns only for an unknown kind.
void crash(const QString& kind);

} // namespace CrashTest
