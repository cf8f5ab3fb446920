#include "crash_report_commands.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "command_context.h"
#include "command_table.h"
#include "crash_reports.h"
#include "logging.h"
#include "no_follow_file.h"
#include "page_services.h"
#include "program_files.h"
#include "window_port.h"

namespace {

// [{"Name":…,"Time":…,"Program":…,"Version":…,"Signal":…,"Reason":…,
// "Size":…}], newest first; [] without a crash folder.
void getCrashReports(CommandContext& c)
{
    QJsonArray out;
    for (const CrashReports::Summary& s : CrashReports::list(c.services().installation.crashFolder)) {
        out.append(QJsonObject{{QStringLiteral("Name"), s.name},
                               {QStringLiteral("Time"), s.time},
                               {QStringLiteral("Program"), s.program},
                               {QStringLiteral("Version"), s.version},
                               {QStringLiteral("Signal"), s.signal},
                               {QStringLiteral("Reason"), s.reason},
                               {QStringLiteral("Size"), static_cast<double>(s.size)}});
    }
    c.succeed(QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Compact)));
}

// {"Name": a name GetCrashReports gave} → the report's text.
void readCrashReport(CommandContext& c)
{
    QString text;
    QString why;
    if (CrashReports::read(c.services().installation.crashFolder, c.text(QStringLiteral("Name")), &text, &why)) {
        c.succeed(text);
        return;
    }
    LOG_WARNING(QStringLiteral("Application Error: ReadCrashReport: %1").arg(Logger::clipped(why)));
    c.fail(QStringLiteral("ReadCrashReport failed"));
}

// {"Name": …}: asks where to save the report and writes it there.
void saveCrashReport(CommandContext& c)
{
    const QString name = c.text(QStringLiteral("Name"));
    QString text;
    QString why;
    if (!CrashReports::read(c.services().installation.crashFolder, name, &text, &why)) {
        LOG_WARNING(QStringLiteral("Application Error: SaveCrashReport: %1").arg(Logger::clipped(why)));
        c.fail(QStringLiteral("SaveCrashReport failed"));
        return;
    }
    const auto path =
        c.window().saveFileName(QStringLiteral("Save report"), QDir::home().filePath(name), QStringLiteral("Text (*.txt)"));
    if (!path) {
        c.fail(QStringLiteral("doesn't select file"));
        return;
    }
    // Never through a link, nor over one of the program's own files.
    if (isProgramFile(c.services().applicationFolder, *path))
        why = QStringLiteral("one of the program's own files");
    else if (NoFollowFile::save(*path, text.toUtf8(), QString(), &why)) {
        c.succeed(QStringLiteral("SaveCrashReport success"));
        return;
    }
    LOG_WARNING(QStringLiteral("Application Error: SaveCrashReport cannot write '%1': %2")
                    .arg(Logger::clipped(*path), why));
    c.fail(QStringLiteral("SaveCrashReport failed"));
}

} // namespace

void addCrashReportCommands(CommandTable& table)
{
    table.add(60, QStringLiteral("GetCrashReports"), getCrashReports);
    table.add(61, QStringLiteral("ReadCrashReport"), readCrashReport);
    table.add(62, QStringLiteral("SaveCrashReport"), saveCrashReport, CommandTable::NeedsWindow);
}
