// orvanta-cli: runs page commands without a window, on the same dispatcher
// and transport library as the program, so that scripts and tests can
// configure a device from a shell.
//
//   orvanta-cli [--wait MS] [--answer-timeout MS] [--all-views] [REQUEST...]
//   orvanta-cli --check-update
//
// Each argument is one JSON request; without any, one request per line is
// read from standard input. Output and exit status: see usage() below.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

#include "check_update.h"
#include "cli_runner.h"
#include "client_profile_settings.h"
#include "event_printer.h"
#include "input_lines.h"
#include "page_session.h"
#include "app_layout.h"
#include "crash_handler.h"
#include "crash_reports.h"
#include "devices_handler.h"
#include "crash_test.h"
#include "logging.h"
#include "update_service.h"
#include "program_folder_plugins.h"

namespace {

void usage(QTextStream& err)
{
    err << "usage: orvanta-cli [--wait MS] [--answer-timeout MS] [--all-views] [REQUEST...]\n"
           "       orvanta-cli --check-update\n"
           "  Runs page requests ({\"FuncName\":...}) given as arguments, or one per line\n"
           "  on standard input, and prints one JSON line per request:\n"
           "    {\"request\":...,\"reply\":\"success\",\"text\":...}\n"
           "    {\"request\":...,\"reply\":\"failure\",\"code\":0,\"text\":...}\n"
           "    {\"request\":...,\"reply\":\"none\"}\n"
           "  and {\"event\":name,\"args\":[...]} for every page event raised, as it\n"
           "  happens (standard input is read as it arrives, so another program can\n"
           "  drive orvanta-cli line by line and read the events live).\n"
           "  Downloads and firmware updates started by the requests are waited for\n"
           "  (at most the answer timeout) before the program ends.\n"
           "  --wait MS            keep collecting events for MS ms after the last request\n"
           "  --answer-timeout MS  how long to wait for a command that answers later\n"
           "                       (default 60000)\n"
           "  --check-update       run the start-up update check against the configured\n"
           "                       endpoint (ORVANTA_UPGRADE_URL overrides the profile's)\n"
           "                       and print {\"state\":…,\"type\":…,\"description\":…,\n"
           "                       \"updaterArguments\":…}\n"
           "  --all-views          also print the events addressed to a named view\n"
           "                       (\"OnRGBMusicData\", say), as if that view were open;\n"
           "                       their lines carry \"view\"\n"
           "  --crash-test=KIND    crash on purpose (segv, abort, throw, purecall), to\n"
           "                       test the crash report\n"
           "  Exit status: 0 when every request was processed, 2 on unreadable input,\n"
           "  1 on a usage error.\n";
}

bool takeNumber(const QStringList& args, int& i, int* value)
{
    if (i + 1 >= args.size())
        return false;
    bool ok = false;
    *value = args.at(++i).toInt(&ok);
    return ok && *value >= 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QString layoutProblem;
    if (!prepareAppLayout(&layoutProblem))
        std::fprintf(stderr, "orvanta-cli: %s\n", qPrintable(layoutProblem));
    keepPluginsOutOfProgramFolder();
    Logger::applyCommandLine(app.arguments());
    // A crash leaves a report in the crash folder (a command-line tool
    // starts no reporter; CrashReporter --print shows the report).
    QString crashProblem;
    if (!CrashHandler::install(
            CrashHandler::setupFor(appLayout(), QStringLiteral("orvanta-cli"), QStringLiteral(ORVANTA_VERSION), false),
            &crashProblem))
        std::fprintf(stderr, "orvanta-cli: crash reports: %s\n", qPrintable(crashProblem));
    const QString crashTest = CrashTest::kindFromArguments(app.arguments());
    if (!crashTest.isEmpty()) {
        if (!CrashTest::isKnownKind(crashTest)) {
            std::fprintf(stderr, "orvanta-cli: --crash-test takes segv, abort, throw or purecall\n");
            return 1;
        }
        LOG_INFO(QStringLiteral("Application Info: crash test '%1' requested").arg(crashTest));
        CrashTest::crash(crashTest);
    }
    QTextStream err(stderr);

    int waitMs = 0;
    int answerTimeoutMs = 60000;
    bool checkUpdate = false;
    bool allViews = false;
    QStringList requests;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--wait")) {
            if (!takeNumber(args, i, &waitMs)) {
                usage(err);
                return 1;
            }
        } else if (arg == QLatin1String("--answer-timeout")) {
            if (!takeNumber(args, i, &answerTimeoutMs)) {
                usage(err);
                return 1;
            }
        } else if (arg == QLatin1String("--check-update")) {
            checkUpdate = true;
        } else if (arg == QLatin1String("--all-views")) {
            allViews = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            usage(err);
            return 0;
        } else if (!arg.startsWith(QLatin1String("--log-severity="))) {
            requests << arg;
        }
    }

    auto writeLine = [](const QByteArray& line) {
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    };

    CliRunner* runner = nullptr;
    ClientProfileSettings settings;
    // There are no views: an event addressed to a named view is dropped,
    // as it is when no view of that name is open, unless --all-views asks
    // for it.
    EventPrinter printer(
        [&runner](const QString& name, const QVariantList& eventArgs, const QString& view) {
            if (runner)
                runner->writeEvent(name, eventArgs, view);
        },
        allViews);
    // The page session of the program, without a window: the device write
    // worker runs in this thread; the input automation plays only what
    // ORVANTA_INPUT_SCRIPT names and logs to ORVANTA_VIRTUAL_HID_LOG.
    PageSessionSetup setup;
    setup.applicationFolder = appLayout().userFolder;
    setup.installation.crashFolder = CrashReports::folderFor(appLayout());
    if (appLayout().installed) {
        setup.installation.dataFolder = appLayout().dataFolder;
        setup.installation.demoDevices = devices_handler::usesEmulator();
        setup.installation.installed = true;
        setup.installation.selfUpdate = false;
    }
#ifdef ORVANTA_DISTRO_BUILD
    setup.installation.selfUpdate = false;
#endif
    setup.settings = &settings;
    setup.events = &printer;
    setup.musicView = settings.reloadClientProfile().value(QStringLiteral("MusicView"));
    PageSession session(std::move(setup));
    CliRunner cli(session.dispatcher(), writeLine);
    cli.setAnswerTimeout(answerTimeoutMs);
    runner = &cli;
    session.start();

    if (checkUpdate) {
        writeLine(checkUpdateLine(session, answerTimeoutMs));
        return 0;
    }

    bool readable = true;
    if (!requests.isEmpty()) {
        for (const QString& request : qAsConst(requests))
            readable = cli.run(request) && readable;
    } else {
        // Lines are read while the event loop runs: events are printed as
        // they happen, and each request is answered as soon as its line is
        // complete.
        InputLines input(STDIN_FILENO);
        while (!input.atEnd()) {
            QByteArray line;
            bool tooLong = false;
            if (!input.next(&line, &tooLong)) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                continue;
            }
            if (tooLong) {
                err << "orvanta-cli: a request line longer than " << InputLines::kMaxLineBytes
                    << " bytes was skipped\n";
                err.flush();
                readable = false;
                continue;
            }
            const QString request = QString::fromUtf8(line).trimmed();
            if (!request.isEmpty())
                readable = cli.run(request) && readable;
        }
        if (input.failed()) {
            err << "orvanta-cli: cannot read standard input\n";
            return 2;
        }
    }
    // Downloads and firmware updates go on after their request's answer.
    QElapsedTimer busy;
    busy.start();
    while (session.updates().busy() && busy.elapsed() < answerTimeoutMs)
        cli.wait(20);
    if (waitMs > 0)
        cli.wait(waitMs);
    return readable ? 0 : 2;
}
