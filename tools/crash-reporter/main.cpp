// CrashReporter: shows the report a crash left, with its stack symbolised.
//
//   CrashReporter --report FILE [--restart PROGRAM] [--annotate] [--print]
//
// With a display it opens "Orvanta stopped unexpectedly"; without one (or
// with --print) it prints the symbolised report to standard output. With
// --annotate (the crash handler passes it) the report file itself gets the
// symbolised stack, so that the program's Diagnostics later show it too.
// It never sends anything anywhere.
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

#include "no_follow_file.h"
#include "program_folder_plugins.h"
#include "report_symbolizer.h"
#include "reporter_window.h"
#include "symbolised_report.h"

namespace {

constexpr qint64 kMaxReportBytes = 4 << 20;

bool hasDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool readReport(const QString& path, QString* text)
{
    QFile file;
    if (!NoFollowFile::openForReading(file, path))
        return false;
    *text = QString::fromUtf8(file.read(kMaxReportBytes));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    // Decided before the application object: without a display the
    // offscreen platform stands in, and nothing is shown.
    const bool printOnly = !hasDisplay() || [&] {
        for (int i = 1; i < argc; ++i) {
            if (qstrcmp(argv[i], "--print") == 0)
                return true;
        }
        return false;
    }();
    if (printOnly)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    keepPluginsOutOfProgramFolder();
    QCoreApplication::setApplicationName(QStringLiteral("CrashReporter"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows the report of an Orvanta crash."));
    parser.addHelpOption();
    const QCommandLineOption report(QStringLiteral("report"), QStringLiteral("The crash report."), QStringLiteral("file"));
    const QCommandLineOption restart(QStringLiteral("restart"), QStringLiteral("The program Restart starts."),
                                     QStringLiteral("program"));
    const QCommandLineOption annotate(QStringLiteral("annotate"),
                                      QStringLiteral("Write the symbolised stack into the report file."));
    const QCommandLineOption print(QStringLiteral("print"), QStringLiteral("Print the report; show nothing."));
    parser.addOptions({report, restart, annotate, print});
    parser.process(app);

    const QString path = parser.value(report);
    QString text;
    if (path.isEmpty() || !readReport(path, &text)) {
        std::fprintf(stderr, "CrashReporter: cannot read the report '%s'\n", qPrintable(path));
        return 2;
    }
    if (needsSymbols(text)) {
        ReportSymbolizer symbolizer;
        text = symbolisedReport(text, symbolizer);
        if (parser.isSet(annotate)) {
            QString why;
            if (!NoFollowFile::save(path, text.toUtf8(), QString(), &why))
                std::fprintf(stderr, "CrashReporter: cannot update the report: %s\n", qPrintable(why));
        }
    }

    if (printOnly) {
        QTextStream out(stdout);
        out << text;
        if (!text.endsWith(QLatin1Char('\n')))
            out << '\n';
        return 0;
    }
    ReporterWindow window(text, QFileInfo(path).absoluteFilePath(), parser.value(restart));
    window.show();
    window.raise();
    window.activateWindow();
    window.exec();
    return 0;
}
