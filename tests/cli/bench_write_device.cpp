// Benchmark, not a test: a simple "WriteDevice" (one button of the M1.0
// mouse) sent to orvanta-cli one request at a time, through a pipe, with the
// emulator's device set on a RAM file system, beside a request that does
// nothing ("SetIME") as the reference of the same run: what the pipe, the
// decoding and the dispatcher cost. Prints the median and the 90th
// percentile of each, and their difference: what the write costs.
//
//   bench_write_device [REQUESTS]      (default 400 of each)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// A folder on a RAM file system: the user's runtime folder, else /dev/shm.
QString ramFolder()
{
    for (const QString& candidate : {qEnvironmentVariable("XDG_RUNTIME_DIR"), QStringLiteral("/dev/shm")}) {
        if (!candidate.isEmpty() && QStorageInfo(candidate).fileSystemType() == "tmpfs")
            return candidate;
    }
    return QString();
}

struct Figures {
    double median = 0;
    double p90 = 0;
};

Figures figuresOf(QVector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms.at(ms.size() / 2), ms.at(ms.size() * 9 / 10)};
}

// Sends one request and waits for its answer line; the round trip in ms, or
// -1 when the answer is not a success.
double roundTrip(QProcess& cli, const QByteArray& request)
{
    QElapsedTimer timer;
    timer.start();
    cli.write(request + '\n');
    while (!cli.canReadLine()) {
        if (!cli.waitForReadyRead(10000))
            return -1;
    }
    const QByteArray line = cli.readLine();
    const double ms = timer.nsecsElapsed() / 1e6;
    return line.contains("\"reply\":\"success\"") ? ms : -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? qMax(10, QByteArray(argv[1]).toInt()) : 400;
    const QString ram = ramFolder();
    if (ram.isEmpty()) {
        std::fprintf(stderr, "no RAM file system (XDG_RUNTIME_DIR or /dev/shm) to put the device set on\n");
        return 1;
    }
    QTemporaryDir dir(ram + QStringLiteral("/orvanta-bench-XXXXXX"));
    const QString devices = dir.filePath(QStringLiteral("devices.json"));
    if (!dir.isValid() || !QFile::copy(QStringLiteral(DEVICE_SET), devices)) {
        std::fprintf(stderr, "cannot put the device set into %s\n", qPrintable(ram));
        return 1;
    }
    QFile::setPermissions(devices, QFile::ReadOwner | QFile::WriteOwner);

    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ORVANTA_DEVICES"), devices);
    environment.remove(QStringLiteral("ORVANTA_TRANSPORT_LOG"));
    cli.setProcessEnvironment(environment);
    cli.setStandardErrorFile(QProcess::nullDevice());
    cli.start(QStringLiteral(CLI_BINARY), {QStringLiteral("--log-severity=disable")});
    if (!cli.waitForStarted()) {
        std::fprintf(stderr, "cannot start %s\n", CLI_BINARY);
        return 1;
    }
    const QByteArray profile =
        R"({"FuncName":"ModifyFileFromStr","FilePath":"bench-258A1007.xml","ContentStr":"<Configuration><Conf><Key Index=\"2\" Value=\"258A1007\"/></Conf></Configuration>"})";
    const QByteArray write =
        R"({"FuncName":"WriteDevice","Version":"258A1007","DriverVersion":"M1.0","Index":"61","Task":"%1","TaskType":"MouseFunction","TaskCount":"1"})";
    const QByteArray nothing = R"({"FuncName":"SetIME"})";
    if (roundTrip(cli, profile) < 0) {
        std::fprintf(stderr, "the profile was not taken\n");
        return 1;
    }
    QVector<double> writes, references;
    for (int i = 0; i < count + 20; ++i) {
        // Alternating, so that other work on the machine weighs on both.
        const double w = roundTrip(cli, QByteArray(write).replace("%1", i % 2 ? "RightClick" : "LeftClick"));
        const double r = roundTrip(cli, nothing);
        if (w < 0 || r < 0) {
            std::fprintf(stderr, "a request failed\n");
            return 1;
        }
        if (i >= 20) {  // the first ones warm up
            writes << w;
            references << r;
        }
    }
    cli.closeWriteChannel();
    cli.waitForFinished();

    const Figures w = figuresOf(writes);
    const Figures r = figuresOf(references);
    std::printf("device set on %s: %lld bytes after the writes\n", qPrintable(ram), QFileInfo(devices).size());
    std::printf("%d requests of each, round trip through orvanta-cli's standard input and output:\n", count);
    std::printf("  WriteDevice (M1.0 button 61)   median %.3f ms   90%% %.3f ms\n", w.median, w.p90);
    std::printf("  SetIME (reference, no work)    median %.3f ms   90%% %.3f ms\n", r.median, r.p90);
    std::printf("  the write itself               median %.3f ms\n", w.median - r.median);
    return 0;
}
