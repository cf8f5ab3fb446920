#pragma once

#include <QString>

// What the program does when it crashes: a fatal signal (SIGSEGV, SIGBUS,
// SIGFPE, SIGILL, SIGABRT) or std::terminate (an uncaught exception, a pure
// virtual call) writes a text report into the crash folder and, for the
// window, starts the reporter program with it; then the signal takes its
// default course, so the exit status and any core dump stay as they were.
//
// Everything the handler needs is prepared by install(): the report's path,
// the reporter's arguments, the program's version and build id. In the
// signal context it only uses async-signal-safe calls (open, write, read,
// clone, execve, clock_gettime) on an alternate signal stack.
struct CrashSetup
{
    QString folder;        // where the report goes; made (0700) when missing
    QString program;       // "orvanta", "orvanta-cli"
    QString version;
    QString reporter;      // the reporter program; empty: none is started
    QString restartProgram; // what the reporter's "Restart" starts
};

struct AppLayout;

namespace CrashHandler {

// The setup of a program of this layout: reports into its crash folder;
// with withReporter, the reporter from the helper folder, restarting
// restartProgram.
CrashSetup setupFor(const AppLayout& layout, const QString& program, const QString& version, bool withReporter,
                    const QString& restartProgram = QString());

// Installs the handlers (and removes reports beyond the newest ten, which
// only a program of an older version could have left). False (with why) when the folder cannot be made; the handlers
// are installed all the same and the report then goes to stderr only.
bool install(const CrashSetup& setup, QString* why = nullptr);

// A line the report carries in its header, known only later than install
// (the Chromium version once the browser runs). Keys are fixed: "Chromium".
void setChromiumVersion(const QString& version);

// The full path of the report this process would write.
QString reportPath();

// The GNU build id of the running program, in hex; empty when it has none.
QString buildId();

} // namespace CrashHandler
