// The crash folder as the Diagnostics and the handler see it, and the log
// lines a crash report carries.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#include "app_layout.h"
#include "crash_reports.h"
#include "log_ring.h"

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray report(const char* time, const char* signal)
{
    return QByteArray("Orvanta crash report\nProgram: orvanta\nVersion: 0.1.0\nTime: ") + time + "\nSignal: " + signal
           + "\n\nStack of the crashing thread:\nTime: not a header line\n";
}

QByteArray ringText()
{
    int fds[2];
    if (pipe(fds) != 0)
        return QByteArray();
    LogRing::writeTo(fds[1]);
    ::close(fds[1]);
    QByteArray out;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<int>(n));
    ::close(fds[0]);
    return out;
}

} // namespace

class CrashReportsTest : public QObject
{
    Q_OBJECT

private slots:
    void theRingKeepsTheLastLinesInOrderAndCutsLongOnes()
    {
        LogRing::clear();
        QCOMPARE(ringText(), QByteArray());
        for (int i = 0; i < LogRing::kLines + 30; ++i) {
            const QByteArray line = "line " + QByteArray::number(i);
            LogRing::append(line.constData(), static_cast<std::size_t>(line.size()));
        }
        const QList<QByteArray> lines = ringText().split('\n');
        QCOMPARE(lines.size(), LogRing::kLines + 1); // the last newline leaves an empty tail
        QCOMPARE(lines.first(), QByteArray("line 30"));
        QCOMPARE(lines.at(LogRing::kLines - 1), QByteArray("line 129"));

        const QByteArray longLine(3 * LogRing::kLineBytes, 'x');
        LogRing::append(longLine.constData(), static_cast<std::size_t>(longLine.size()));
        QCOMPARE(ringText().split('\n').at(LogRing::kLines - 1), QByteArray(LogRing::kLineBytes, 'x'));
    }

    void theListHoldsOnlyReportsNewestFirstWithTheirHeader()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        writeFile(folder + "/crash-20261201T100000-10.txt", report("2026-12-01T10:00:05Z", "11 SIGSEGV"));
        writeFile(folder + "/crash-20261203T100000-12.txt",
                  report("2026-12-03T10:00:05Z", "6 SIGABRT") .replace("Signal", "Reason: uncaught exception\nSignal"));
        writeFile(folder + "/crash-20261202T100000-11.txt", "no header at all");
        writeFile(folder + "/app.log", "not a report");
        writeFile(folder + "/crash-1.txt", "not named like one");
        QVERIFY(QFile::link(folder + "/app.log", folder + "/crash-20261204T100000-13.txt"));
        QVERIFY(QDir(folder).mkdir("crash-20261205T100000-14.txt"));

        const QVector<CrashReports::Summary> reports = CrashReports::list(folder);
        QStringList names;
        for (const auto& r : reports)
            names << r.name;
        // The one without a header counts by its file time, which is now.
        QCOMPARE(names, QStringList({"crash-20261202T100000-11.txt", "crash-20261203T100000-12.txt",
                                     "crash-20261201T100000-10.txt"}));
        QCOMPARE(reports.at(1).signal, QString("6 SIGABRT"));
        QCOMPARE(reports.at(1).reason, QString("uncaught exception"));
        QCOMPARE(reports.at(2).time, QString("2026-12-01T10:00:05Z"));
        QCOMPARE(reports.at(2).program, QString("orvanta"));
        QCOMPARE(reports.at(2).version, QString("0.1.0"));
        QVERIFY(reports.at(0).signal.isEmpty());
        QVERIFY(CrashReports::list(QString()).isEmpty());
        QVERIFY(CrashReports::list(folder + "/missing").isEmpty());
    }

    void pruningKeepsTheNewestByNameAndNothingElse()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        for (int day = 1; day <= 5; ++day)
            writeFile(folder + QString("/crash-2026120%1T100000-7.txt").arg(day), report("2026-12-01T10:00:00Z", "11 SIGSEGV"));
        writeFile(folder + "/notes.txt", "mine");
        CrashReports::prune(folder, 2);
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
                 QStringList({"crash-20261204T100000-7.txt", "crash-20261205T100000-7.txt", "notes.txt"}));
        CrashReports::prune(folder, 5);
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 3);
    }

    void readingTakesOnlyAReportOfTheFolder()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/crashes";
        QVERIFY(QDir().mkpath(folder));
        writeFile(dir.path() + "/secret.txt", "secret");
        writeFile(folder + "/crash-20261201T100000-10.txt", QByteArray(5000, 'r'));
        QVERIFY(QFile::link(dir.path() + "/secret.txt", folder + "/crash-20261201T100000-11.txt"));

        QString text;
        QString why;
        QVERIFY(CrashReports::read(folder, "crash-20261201T100000-10.txt", &text, &why, 100));
        QCOMPARE(text.size(), 100);
        for (const QString& name : {QString("../secret.txt"), QString("crash-20261201T100000-11.txt"),
                                   QString("/etc/passwd"), QString("crash-20261201T100000-99.txt"), QString()}) {
            text.clear();
            QVERIFY2(!CrashReports::read(folder, name, &text, &why), qPrintable(name));
            QVERIFY(text.isEmpty());
            QVERIFY(!why.isEmpty());
        }
        QVERIFY(CrashReports::isReportName(CrashReports::nameForThisProcess()));
    }

    void reportsLieInTheProgramFolderOrTheStateFolder()
    {
        AppLayout portable;
        portable.programFolder = portable.stateFolder = "/opt/orvanta";
        QCOMPARE(CrashReports::folderFor(portable), QString("/opt/orvanta/crashes"));
        AppLayout installed;
        installed.installed = true;
        installed.programFolder = "/usr/bin";
        installed.stateFolder = "/home/u/.local/state/orvanta";
        QCOMPARE(CrashReports::folderFor(installed), QString("/home/u/.local/state/orvanta/crashes"));
        AppLayout homeless;
        homeless.installed = true;
        homeless.programFolder = "/usr/bin";
        QCOMPARE(CrashReports::folderFor(homeless), QString());
    }
};

QTEST_GUILESS_MAIN(CrashReportsTest)
#include "tst_crash_reports.moc"
