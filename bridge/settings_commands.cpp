#include "settings_commands.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>

#include "path_inside_folder.h"
#include "command_context.h"
#include "page_services.h"
#include "window_port.h"
#include "command_table.h"
#include "external_address.h"
#include "language_code.h"
#include "local_settings.h"
#include "logging.h"
#include "session_autostart.h"

namespace {

void getLocalConf(CommandContext& c)
{
    // A Driver definition or key table compiled into the program; a missing
    // name (or resource) reads as "".
    QFile file(QStringLiteral(":/drive/") + c.text(QStringLiteral("Name")));
    QString text;
    if (file.open(QIODevice::ReadOnly))
        text = QString::fromUtf8(file.readAll());
    c.succeed(text);
}

void readConf(CommandContext& c)
{
    const QString value = LocalSettings(c.services().applicationFolder).read(c.text(QStringLiteral("KeyName")));
    if (value.isEmpty())
        c.fail(QStringLiteral("File Or KeyName does not exist"));
    else
        c.succeed(value);
}

void writeConf(CommandContext& c)
{
    const LocalSettings settings(c.services().applicationFolder);
    const QString key = c.text(QStringLiteral("KeyName"));
    const QString data = c.text(QStringLiteral("WriteData"));
    if (settings.write(key, data) && settings.read(key) == data)
        c.succeed(QStringLiteral("Write Success"));
    else
        c.fail(QStringLiteral("Write Faile"));
}

void openExe(CommandContext& c)
{
    const QString given = c.text(QStringLiteral("EXEPath"));
    const std::optional<QString> program = pathInsideFolder(c.services().applicationFolder, given);
    if (!program) {
        LOG_WARNING(QStringLiteral("Application Error: OpenEXE refused '%1': outside the application folder").arg(given));
        c.fail(QStringLiteral("OpenEXE Faile"));
        return;
    }
    // A child that outlives the command: its process object has no parent
    // and goes when the child ends, so the program never kills it on the
    // way out. It gets none of the caller's standard streams (orvanta-cli
    // reads requests and writes answers there).
    auto* process = new QProcess;
    process->setProgram(*program);
    process->setArguments({QCoreApplication::applicationFilePath()});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), process,
                     &QObject::deleteLater);
    process->start();

    // A look at the process 50 ms on: still starting, running, or gone
    // (it could not be started, or ended at once).
    QElapsedTimer clock;
    clock.start();
    if (process->waitForStarted(50))
        process->waitForFinished(qMax<qint64>(0, 50 - clock.elapsed()));
    switch (process->state()) {
    case QProcess::Starting:
        process->waitForStarted(100);
        c.succeed(QStringLiteral("OpenEXE success,Exe Staring"));
        return;
    case QProcess::Running:
        c.succeed(QStringLiteral("OpenEXE success,Exe Runing"));
        return;
    case QProcess::NotRunning:
        break;
    }
    const bool failedToStart = process->error() == QProcess::FailedToStart;
    process->deleteLater();
    c.fail(failedToStart ? QStringLiteral("OpenEXE Faile,File not find") : QStringLiteral("OpenEXE Faile"));
}

void openUrl(CommandContext& c)
{
    if (!c.has(QStringLiteral("url")))
        return;
    // Only the pages' own kind of links reach the desktop's opener. The
    // command has no failure reply: a refused address gets none.
    const QString given = c.text(QStringLiteral("url"));
    const QString address = externalAddress(given);
    if (address.isEmpty()) {
        LOG_WARNING(QStringLiteral("Application Error: OpenUrl refused '%1': only http, https and mailto "
                                   "addresses are opened")
                        .arg(Logger::clipped(given)));
        return;
    }
    c.services().openUrl(address);
    c.succeed(QStringLiteral("open successed"));
}

// The pages ask for the US layout while a text field has the focus. Desktop
// keyboard layouts on Linux belong to the whole session, not to one
// program, so the layout is left as the user set it; the page gets its
// usual answer.
void setIme(CommandContext& c)
{
    c.succeed(QStringLiteral("SetIME success!"));
}

void getDefaultLanguage(CommandContext& c)
{
    c.succeed(languageCode(QLocale().language()));
}

// How the program is installed: {"Installed":…,"SelfUpdate":…}; the
// pages say where updates come from.
void getInstallation(CommandContext& c)
{
    const PageServices& services = c.services();
    const auto flag = [](bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); };
    c.succeed(QStringLiteral("{\"Installed\":%1,\"SelfUpdate\":%2}").arg(flag(services.installation.installed), flag(services.installation.selfUpdate)));
}

// Whether the session starts the program at login: {"Available":…,
// "Enabled":…}.
void getSessionStart(CommandContext& c)
{
    const PageServices& services = c.services();
    const bool available = !services.installation.autostartEntry.isEmpty();
    const bool enabled = available && SessionAutostart::enabled(services.installation.autostartEntry);
    c.succeed(QStringLiteral("{\"Available\":%1,\"Enabled\":%2}")
                  .arg(available ? QStringLiteral("true") : QStringLiteral("false"),
                       enabled ? QStringLiteral("true") : QStringLiteral("false")));
}

// Writes ("Enabled" "1") or removes ("0") the session autostart entry.
void setSessionStart(CommandContext& c)
{
    const PageServices& services = c.services();
    const QString wanted = c.text(QStringLiteral("Enabled"));
    QString why;
    bool done = false;
    if (services.installation.autostartEntry.isEmpty())
        why = QStringLiteral("not offered here");
    else if (wanted == QLatin1String("1"))
        done = SessionAutostart::enable(services.installation.autostartEntry, services.installation.autostartProgram, services.installation.appId, &why);
    else if (wanted == QLatin1String("0"))
        done = SessionAutostart::disable(services.installation.autostartEntry, &why);
    else
        why = QStringLiteral("Enabled is neither 1 nor 0");
    if (done) {
        c.succeed(QStringLiteral("SetSessionStart success"));
        return;
    }
    LOG_WARNING(QStringLiteral("Application Error: SetSessionStart: %1").arg(why));
    c.fail(QStringLiteral("SetSessionStart failed"));
}

} // namespace

void addSettingsCommands(CommandTable& table)
{
    table.add(1, QStringLiteral("GetLocalConf"), getLocalConf);
    table.add(9, QStringLiteral("ReadConf"), readConf);
    table.add(10, QStringLiteral("WriteConf"), writeConf);
    table.add(11, QStringLiteral("OpenEXE"), openExe);
    table.add(35, QStringLiteral("OpenUrl"), openUrl);
    table.add(41, QStringLiteral("SetIME"), setIme);
    table.add(44, QStringLiteral("GetDefaultLanguage"), getDefaultLanguage);
    table.add(57, QStringLiteral("GetSessionStart"), getSessionStart);
    table.add(58, QStringLiteral("SetSessionStart"), setSessionStart);
    table.add(59, QStringLiteral("GetInstallation"), getInstallation);
}
