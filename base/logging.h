#pragma once

#include <QString>
#include <QStringList>

class QDateTime;

// The program's diagnostic log, "app.log" in the application folder. Each
// message is one line tagged with time, severity, source file and line:
//   [1207/235901.123:INFO:application(214)] Application Info: ...
// A message is written only when the minimum severity admits it; the switch
// --log-severity=info|warning|error|disable sets that minimum (default info).
//
// Every diagnostic line of the program is written at INFO, whatever it
// reports: what a line is about its text says ("Application Info:",
// "Application Error:", "Update Error:"), and readers of the log (and the
// --log-severity switch) rely on one severity for all of them. LOG_WARNING
// and LOG_ERROR say what the caller reports and are written at INFO as
// well; the other severities remain for the switch.
enum class LogSeverity { Info = 0, Warning = 1, Error = 2, Disable = 3 };

namespace Logger {

// Parses "info", "warning", "error" or "disable" (case-insensitive).
bool parseSeverity(const QString &text, LogSeverity *severity);

// Applies a "--log-severity=..." argument when one is present; an unknown
// value is reported on stderr and leaves the current minimum.
void applyCommandLine(const QStringList &arguments);

void setMinSeverity(LogSeverity severity);
LogSeverity minSeverity();
bool admits(LogSeverity severity);

// The log file; by default "app.log" in the folder of the executable.
void setFilePath(const QString &path);
QString filePath();

// One formatted line without the trailing newline.
QString formatLine(LogSeverity severity, const char *sourceFile, int line,
                   const QString &message, const QDateTime &when);

// Text from outside (a client, a page, a file) made fit for one log line:
// control characters written as \n, \r, \t or \xNN (and "\" as "\\"),
// the whole cut after maxChars characters with a note of how many were
// left out, so that no sender can forge log lines or flood the log.
QString clipped(const QString &text, int maxChars = 200);

// Appends one line to the log file when the severity is admitted. Safe to
// call from any thread.
void write(LogSeverity severity, const char *sourceFile, int line, const QString &message);

} // namespace Logger

#define ORVANTA_LOG(severity, message)                                   \
    do {                                                                 \
        if (Logger::admits(severity))                                    \
            Logger::write(severity, __FILE__, __LINE__, (message));      \
    } while (0)

#define LOG_INFO(message) ORVANTA_LOG(LogSeverity::Info, message)
#define LOG_WARNING(message) ORVANTA_LOG(LogSeverity::Info, message)
#define LOG_ERROR(message) ORVANTA_LOG(LogSeverity::Info, message)
