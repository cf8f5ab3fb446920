#include "pack_bench.h"

#include "lzma_decoder.h"
#include "minisign.h"
#include "package_format.h"
#include "package_signature.h"
#include "package_reader.h"
#include "package_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

// A page site: mostly small markup and script files, a quarter pictures
// (random bytes, like compressed images), a few large files.
QVector<PackageFile> makeFiles(qint64 totalBytes)
{
    QRandomGenerator random(20240601);
    static const char *const words[] = {"<div class=\"row\">", "</div>", "<span>", "</span>",
                                        "function", "return", "var ", "dpi", "light", "macro",
                                        "{", "}", ";", "\n", "  "};
    QVector<PackageFile> files;
    qint64 made = 0;
    for (int i = 0; made < totalBytes; ++i) {
        PackageFile file;
        const int kind = random.bounded(20);
        int size = kind < 14 ? 1024 + random.bounded(31 * 1024)            // markup, scripts
                   : kind < 19 ? 8 * 1024 + random.bounded(120 * 1024)     // pictures
                               : 256 * 1024 + random.bounded(768 * 1024);  // large
        size = int(qMin<qint64>(size, totalBytes - made));
        if (kind >= 14 && kind < 19) {
            file.name = QStringLiteral("image/%1/pic%2.png").arg(i % 5).arg(i);
            file.content.resize(size);
            random.fillRange(reinterpret_cast<quint32 *>(file.content.data()), size / 4);
        } else {
            file.name = QStringLiteral("pages/part%1/page%2.html").arg(i % 7).arg(i);
            file.content.reserve(size + 32);
            while (file.content.size() < size)
                file.content += words[random.bounded(int(sizeof words / sizeof *words))];
            file.content.truncate(size);
        }
        made += file.content.size();
        files.append(file);
    }
    return files;
}

struct Run {
    bool ok = false;
    double seconds = 0;
    long peakKiB = 0;
};

// Runs a program through "orvanta-pack --measure", which starts it from a
// small process of its own: a child's peak memory counts the memory of the
// process it was started from, and this one holds the whole package.
Run runProcess(const QStringList &arguments)
{
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments(QStringList{QStringLiteral("--measure")} + arguments);
    process.start();
    Run run;
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return run;
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() == 2) {
        run.seconds = fields.at(0).toDouble(&run.ok);
        run.peakKiB = fields.at(1).toLong();
    }
    return run;
}

double mibPerSecond(qint64 bytes, double seconds)
{
    return seconds > 0 ? (bytes / 1048576.0) / seconds : 0.0;
}

} // namespace

int runDecodeOnly(const char *path)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() < PackageFormat::kMinimumFileSize)
        return 1;
    const QByteArray header = file.read(PackageFormat::kStreamOffset);
    LzmaDecoder decoder;
    const LzmaDecoder::Sink discard = [](const char *, int) { return true; };
    if (!decoder.start(header.mid(PackageFormat::kPropertiesOffset, PackageFormat::kPropertiesSize),
                       qFromLittleEndian<quint32>(header.constData() + PackageFormat::kUnpackedSizeOffset)))
        return 1;
    QByteArray piece(256 * 1024, Qt::Uninitialized);
    for (qint64 n; (n = file.read(piece.data(), piece.size())) > 0;) {
        if (!decoder.feed(piece.constData(), n, discard))
            return 1;
    }
    return decoder.finish(discard) ? 0 : 1;
}

int runSignatureOnly(const char *package, const char *publicKeyFile)
{
    QFile keyFile(QFile::decodeName(publicKeyFile));
    if (!keyFile.open(QIODevice::ReadOnly))
        return 1;
    UpdateKeys keys;
    keys.addFromText(keyFile.read(kMaxKeysFileSize), keyFile.fileName(), nullptr);
    return PackageSignature::verifyPath(QFile::decodeName(package), keys).trusted() ? 0 : 1;
}

int runMeasured(char **argv)
{
    timespec start{}, end{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::execvp(argv[0], argv);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return 1;
    clock_gettime(CLOCK_MONOTONIC, &end);
    std::printf("%.6f %ld\n", double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) / 1e9,
                usage.ru_maxrss);
    return 0;
}

bool runPackBench(int sizeMiB, QTextStream &out, QTextStream &err)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        err << "orvanta-pack: cannot create a temporary folder" << Qt::endl;
        return false;
    }
    const qint64 total = qint64(sizeMiB) * 1024 * 1024;
    QVector<PackageFile> files = makeFiles(total);
    const int fileCount = files.size();
    QString error;

    QElapsedTimer timer;
    timer.start();
    QByteArray package;
    if (!buildPackage(QStringLiteral("bench"), files, &package, &error)) {
        err << "orvanta-pack: " << error << Qt::endl;
        return false;
    }
    const double packSeconds = timer.nsecsElapsed() / 1e9;
    files.clear();
    files.squeeze();
    // Signed with a key made for this run, as releases are.
    const MinisignSecretKey key = Minisign::generate(QStringLiteral("bench"));
    QByteArray tiny;
    if (!PackageSignature::sign(&package, key, 1, ClientVersion(), &error)
        || !buildPackage(QStringLiteral("tiny"), {{QStringLiteral("a.txt"), "a"}}, &tiny, &error)
        || !PackageSignature::sign(&tiny, key, 1, ClientVersion(), &error)) {
        err << "orvanta-pack: " << error << Qt::endl;
        return false;
    }

    PackageStreamInfo info;
    if (!inspectPackageData(package, nullptr, &error, &info)) {
        err << "orvanta-pack: " << error << Qt::endl;
        return false;
    }
    out << "payload: " << fileCount << " files, " << total << " bytes; package " << package.size()
        << " bytes (ratio " << QString::number(double(package.size()) / double(total), 'f', 3)
        << "), LZMA dictionary " << info.dictionarySize / 1024 << " KiB\n";
    out << QStringLiteral("build (compress, in process) %1 s  %2 MiB/s\n")
               .arg(packSeconds, 0, 'f', 3)
               .arg(mibPerSecond(total, packSeconds), 0, 'f', 1);

    // The same stream, alone, in the .lzma form xz reads: properties, the
    // 64-bit size, the stream.
    const QString packagePath = dir.filePath(QStringLiteral("bench.dat"));
    const QString lzmaPath = dir.filePath(QStringLiteral("bench.lzma"));
    const QString tinyPath = dir.filePath(QStringLiteral("tiny.dat"));
    const QString keyPath = dir.filePath(QStringLiteral("bench.pub"));
    // xz takes only dictionary sizes of 2^n or 2^n + 2^(n-1) bytes in this
    // form: the next such size up decodes the same stream.
    QByteArray size64(8, '\0');
    qToLittleEndian<quint64>(info.unpackedSize, size64.data());
    QByteArray properties = package.mid(PackageFormat::kPropertiesOffset, PackageFormat::kPropertiesSize);
    quint32 dictionary = 4096;
    while (dictionary < info.dictionarySize)
        dictionary *= 2;
    qToLittleEndian<quint32>(dictionary, properties.data() + 1);
    const QByteArray alone = properties + size64 + package.mid(PackageFormat::kStreamOffset);
    QFile packageFile(packagePath), lzmaFile(lzmaPath), tinyFile(tinyPath), keyFile(keyPath);
    const QByteArray publicKey = Minisign::publicKeyFile(key.publicKey());
    if (!packageFile.open(QIODevice::WriteOnly) || packageFile.write(package) != package.size()
        || !lzmaFile.open(QIODevice::WriteOnly) || lzmaFile.write(alone) != alone.size()
        || !tinyFile.open(QIODevice::WriteOnly) || tinyFile.write(tiny) != tiny.size()
        || !keyFile.open(QIODevice::WriteOnly) || keyFile.write(publicKey) != publicKey.size()) {
        err << "orvanta-pack: cannot write the packages into " << dir.path() << Qt::endl;
        return false;
    }
    packageFile.close();
    lzmaFile.close();
    tinyFile.close();
    keyFile.close();

    package.clear();
    package.squeeze();

    const QString self = QCoreApplication::applicationFilePath();
    const QString xz = QStandardPaths::findExecutable(QStringLiteral("xz"));
    const QString b2sum = QStandardPaths::findExecutable(QStringLiteral("b2sum"));
    const QString target = dir.filePath(QStringLiteral("target"));
    // Rounds of every measurement one after the other, so that other work
    // on the machine weighs on all of them alike; each keeps its best.
    const int runs = 5;
    Run decoding, startup, reference, verify, empty, same, hashing, signature;
    auto keepBest = [](Run *kept, const Run &run) {
        if (!run.ok)
            return false;
        const long peak = std::max(kept->peakKiB, run.peakKiB);
        if (!kept->ok || run.seconds < kept->seconds)
            *kept = run;
        kept->peakKiB = peak;
        return true;
    };
    for (int round = 0; round < runs; ++round) {
        // Every run starts with nothing left for the disk to do.
        QDir(target).removeRecursively();
        ::sync();
        if (!keepBest(&decoding, runProcess({self, QStringLiteral("--decode"), packagePath}))) {
            err << "orvanta-pack: the stream does not decode" << Qt::endl;
            return false;
        }
        if (!xz.isEmpty())
            keepBest(&reference, runProcess({xz, QStringLiteral("--format=lzma"), QStringLiteral("-dc"),
                                             QStringLiteral("-T1"), lzmaPath}));
        if (!b2sum.isEmpty())
            keepBest(&hashing, runProcess({b2sum, packagePath}));
        if (!keepBest(&signature, runProcess({self, QStringLiteral("--check-signature"), packagePath, keyPath}))) {
            err << "orvanta-pack: the signature does not hold" << Qt::endl;
            return false;
        }
        // Into an empty folder, then again into it, over the same files as
        // they are once they have reached the disk.
        if (!keepBest(&startup, runProcess({self, QStringLiteral("verify"), tinyPath, QStringLiteral("--public-key"), keyPath}))
            || !keepBest(&verify, runProcess({self, QStringLiteral("verify"), packagePath, QStringLiteral("--public-key"), keyPath}))
            || !keepBest(&empty, runProcess({self, QStringLiteral("unpack"), packagePath, target, QStringLiteral("--keep")}))
            || (::sync(), !keepBest(&same, runProcess({self, QStringLiteral("unpack"), packagePath, target,
                                                       QStringLiteral("--keep")})))) {
            err << "orvanta-pack: a run of " << self << " failed" << Qt::endl;
            return false;
        }
    }

    auto row = [&](const QString &what, const Run &run, bool ratio = true) {
        out << QStringLiteral("%1 %2 s  %3 MiB/s  peak %4 MiB")
                   .arg(what, -44)
                   .arg(run.seconds, 6, 'f', 3)
                   .arg(mibPerSecond(total, run.seconds), 7, 'f', 1)
                   .arg(run.peakKiB / 1024.0, 6, 'f', 1);
        if (reference.ok && ratio)
            out << QStringLiteral("  %1 x xz").arg(run.seconds / reference.seconds, 0, 'f', 2);
        out << '\n';
    };
    out << "best of " << runs << " rounds, each run a process of its own; MiB/s of the unpacked size:\n";
    if (reference.ok)
        row(QStringLiteral("xz --format=lzma -dc -T1 (reference)"), reference);
    else
        out << "xz --format=lzma -dc -T1 (reference): xz not found\n";
    row(QStringLiteral("LZMA decoding alone (no digest, no payload)"), decoding);
    row(QStringLiteral("orvanta-pack verify (no files written)"), verify);
    // The signature check reads the package once more before unpacking:
    // beside b2sum hashing the same file (BLAKE2b-512 too), in MiB/s of the
    // package's own size.
    const auto hashRow = [&](const QString &what, const Run &run) {
        out << QStringLiteral("%1 %2 s  %3 MiB/s of the package  peak %4 MiB")
                   .arg(what, -44)
                   .arg(run.seconds, 6, 'f', 3)
                   .arg(mibPerSecond(packageFile.size(), run.seconds), 7, 'f', 1)
                   .arg(run.peakKiB / 1024.0, 6, 'f', 1);
        if (hashing.ok && &run != &hashing)
            out << QStringLiteral("  %1 x b2sum").arg(run.seconds / hashing.seconds, 0, 'f', 2);
        out << '\n';
    };
    if (hashing.ok)
        hashRow(QStringLiteral("b2sum of the package (reference)"), hashing);
    else
        out << "b2sum of the package (reference): b2sum not found\n";
    hashRow(QStringLiteral("signature check alone (BLAKE2b + Ed25519)"), signature);
    row(QStringLiteral("orvanta-pack unpack into an empty folder"), empty);
    row(QStringLiteral("orvanta-pack unpack over the same files"), same);
    row(QStringLiteral("orvanta-pack verify of a 1-file package"), startup, false);
    const double overMiB = (std::max(empty.peakKiB, same.peakKiB) - startup.peakKiB) / 1024.0;
    out << QStringLiteral("peak memory of unpacking above the tool's own: %1 MiB; goal: dictionary + 4 MiB = %2 MiB\n")
               .arg(overMiB, 0, 'f', 1)
               .arg(info.dictionarySize / 1048576.0 + 4, 0, 'f', 1);
    out.flush();
    return true;
}
