#include "pack_bench.h"

#include "package_reader.h"
#include "package_unpacker.h"
#include "package_writer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

// Page-like content: markup with varying words compresses like real pages;
// every fourth file is random bytes, like already compressed images.
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
        const int size = int(qMin<qint64>(64 * 1024 + random.bounded(960 * 1024), totalBytes - made));
        file.content.reserve(size);
        if (i % 4 == 3) {
            file.name = QStringLiteral("image/pic%1.png").arg(i);
            file.content.resize(size);
            random.fillRange(reinterpret_cast<quint32 *>(file.content.data()), size / 4);
        } else {
            file.name = QStringLiteral("pages/part%1/page%2.html").arg(i % 7).arg(i);
            while (file.content.size() < size)
                file.content += words[random.bounded(int(sizeof words / sizeof *words))];
            file.content.truncate(size);
        }
        made += file.content.size();
        files.append(file);
    }
    return files;
}

double mibPerSecond(qint64 bytes, qint64 nanoseconds)
{
    return nanoseconds > 0 ? (bytes / 1048576.0) / (nanoseconds / 1e9) : 0.0;
}

QString peakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return QString::fromLatin1(line.mid(6).trimmed());
    }
    return QStringLiteral("unknown");
}

} // namespace

bool runPackBench(int sizeMiB, QTextStream &out, QTextStream &err)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        err << "orvanta-pack: cannot create a temporary folder" << Qt::endl;
        return false;
    }
    const qint64 total = qint64(sizeMiB) * 1024 * 1024;
    QVector<PackageFile> files = makeFiles(total);
    QString error;
    QElapsedTimer timer;

    auto report = [&](const char *stage, qint64 ns, qint64 bytes) {
        out << QStringLiteral("%1 %2 ms  %3 MiB/s (of the unpacked size)\n")
                   .arg(QString::fromLatin1(stage), -28)
                   .arg(ns / 1e6, 9, 'f', 1)
                   .arg(mibPerSecond(bytes, ns), 8, 'f', 1);
    };

    out << "payload: " << files.size() << " files, " << total << " bytes\n";
    timer.start();
    QByteArray package;
    if (!buildPackage(QStringLiteral("bench"), files, &package, &error)) {
        err << "orvanta-pack: " << error << Qt::endl;
        return false;
    }
    report("build (compress)", timer.nsecsElapsed(), total);
    out << "package: " << package.size() << " bytes, ratio "
        << QString::number(double(package.size()) / double(total), 'f', 3) << '\n';
    files.clear();

    timer.restart();
    PackagePayload payload;
    if (!decodePackage(package, &payload, &error)) {
        err << "orvanta-pack: " << error << Qt::endl;
        return false;
    }
    report("decode (SHA-1, LZMA, parse)", timer.nsecsElapsed(), total);

    timer.restart();
    if (!writePackageFiles(payload, dir.filePath(QStringLiteral("written")), &error)) {
        err << "orvanta-pack: " << error << Qt::endl;
        return false;
    }
    report("write files", timer.nsecsElapsed(), total);
    payload = PackagePayload();

    const QString packagePath = dir.filePath(QStringLiteral("bench.dat"));
    QFile file(packagePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(package) != package.size() || !file.flush()) {
        err << "orvanta-pack: cannot write " << packagePath << Qt::endl;
        return false;
    }
    file.close();
    package.clear();

    timer.restart();
    if (!unpackPackage(packagePath, dir.filePath(QStringLiteral("unpacked")), true, &error)) {
        err << "orvanta-pack: " << error << Qt::endl;
        return false;
    }
    report("unpack from file (all steps)", timer.nsecsElapsed(), total);
    out << "peak resident memory: " << peakMemory() << Qt::endl;
    return true;
}
