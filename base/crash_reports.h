#pragma once

#include <QString>
#include <QVector>

struct AppLayout;

// The folder of crash reports and what is kept in it: "crashes" in the
// application folder of a portable program, in the user's state folder of
// an installed one. Each report is one text file the crash handler wrote,
// named "crash-<start time>-<process id>.txt"; at most kKeep are kept:
// the handler removes the oldest when it adds one.
namespace CrashReports {

constexpr int kKeep = 10;

QString folderFor(const AppLayout& layout);

// What a list of reports shows of one, read from its first lines.
struct Summary
{
    QString name;    // the file name
    QString time;    // "Time:" of the report (UTC, ISO 8601); else the file's
    QString program; // "Program:"
    QString version; // "Version:"
    QString signal;  // "Signal:", e.g. "11 SIGSEGV"
    QString reason;  // "Reason:", when std::terminate ended the program
    qint64 size = 0;
};

// A name the handler gives its reports; anything else (a path, "..", a
// link's name) is not a report.
bool isReportName(const QString& name);

// The reports in folder, newest first. Files not named like a report, and
// links, are left out.
QVector<Summary> list(const QString& folder);

// Removes the oldest reports (by name) until at most keep are left.
void prune(const QString& folder, int keep);

// The text of one report (at most maxBytes of it, never through a link).
// False with why when the name is not a report's or it cannot be read.
bool read(const QString& folder, const QString& name, QString* text, QString* why,
          qint64 maxBytes = 1 << 20);

// The name of this process's report: the start time and the process id.
QString nameForThisProcess();

} // namespace CrashReports
