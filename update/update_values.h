#pragma once

#include <QString>
#include <QStringList>

// The process-wide values the update check leaves for the updater
// hand-over: the release notes and change number of the last offered
// update, and the updater's arguments with the flag that starts it when the
// program exits (a silent update). Safe to use from any thread.
namespace UpdateValues {

void setDescription(const QString& description);
QString description();
void setChangeNumber(const QString& cnumber);
QString changeNumber();

// Schedules the updater for the program's exit with these arguments.
void scheduleAtExit(const QStringList& updaterArguments);
bool runUpdaterAtExit();
QStringList updaterArguments();
// The arguments as one line, joined by blanks ("" when none are stored).
QString updaterArgumentLine();

// Forgets everything (tests, and a program that starts over).
void reset();

} // namespace UpdateValues
