// orvanta-pack: the command-line front end of the update package library.
// It uses the same reading, checking and unpacking code as the program, so a
// package it accepts is one the program accepts.

#include "pack_bench.h"

#include "firmware_image.h"
#include "package_reader.h"
#include "package_unpacker.h"
#include "package_writer.h"
#include "whole_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage:\n"
    "  orvanta-pack pack <folder> <package> [--version TEXT]\n"
    "      Packs every file below <folder> into <package>.\n"
    "  orvanta-pack list <package>\n"
    "      Prints the version and the files (size and name) of <package>.\n"
    "  orvanta-pack verify <package>\n"
    "      Checks digest, compression, file list and names of <package>.\n"
    "  orvanta-pack unpack <package> <folder> [--keep]\n"
    "      Unpacks <package> into <folder>; the package is deleted afterwards\n"
    "      as the program does, unless --keep is given.\n"
    "  orvanta-pack firmware <rom> <device id> <image>\n"
    "      Writes the firmware image <image> (\"update.bin\") that flashes the ROM\n"
    "      file <rom> (at most 65 819 bytes) into the device with that id, with\n"
    "      the ROM's CRC-32 as check value.\n"
    "  orvanta-pack bench [--size MIB]\n"
    "      Times packing, checking and unpacking of a generated page site of\n"
    "      MIB MiB (default 8), each run a process of its own, beside\n"
    "      xz --format=lzma -dc -T1 on the same LZMA stream, with peak memory.\n";

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

int fail(const QString &message)
{
    err() << "orvanta-pack: " << message << Qt::endl;
    return kExitFailure;
}

int usage(const QString &message)
{
    err() << "orvanta-pack: " << message << "\n\n" << kUsage;
    err().flush();
    return kExitUsage;
}

// Positional arguments plus the options a command accepts.
struct Arguments {
    QStringList positional;
    QString version = QStringLiteral("1.0");
    bool keep = false;
    int sizeMiB = 8;
};

bool parseArguments(const QString &command, const QStringList &args, Arguments *parsed, QString *why)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--version") && command == QLatin1String("pack")) {
            if (++i >= args.size()) {
                *why = QStringLiteral("--version needs a value");
                return false;
            }
            parsed->version = args.at(i);
        } else if (arg == QLatin1String("--keep") && command == QLatin1String("unpack")) {
            parsed->keep = true;
        } else if (arg == QLatin1String("--size") && command == QLatin1String("bench")) {
            bool ok = false;
            parsed->sizeMiB = ++i < args.size() ? args.at(i).toInt(&ok) : 0;
            if (!ok || parsed->sizeMiB < 1 || parsed->sizeMiB > 400) {
                *why = QStringLiteral("--size needs a number of MiB from 1 to 400");
                return false;
            }
        } else if (arg.startsWith(QLatin1String("--"))) {
            *why = QStringLiteral("unknown option %1 for %2").arg(arg, command);
            return false;
        } else {
            parsed->positional.append(arg);
        }
    }
    return true;
}

int runPack(const Arguments &args)
{
    const QString folder = args.positional.at(0);
    const QString packagePath = args.positional.at(1);
    QVector<PackageFile> files;
    QString error;
    if (!collectFolderFiles(folder, &files, &error))
        return fail(error);

    // A package written into the folder it packs must not swallow an older
    // copy of itself.
    const QString packageCanonical = QFileInfo(packagePath).canonicalFilePath();
    if (!packageCanonical.isEmpty()) {
        const QString folderCanonical = QFileInfo(folder).canonicalFilePath();
        for (int i = files.size() - 1; i >= 0; --i) {
            if (QFileInfo(folderCanonical + QLatin1Char('/') + files.at(i).name).canonicalFilePath()
                == packageCanonical)
                files.removeAt(i);
        }
    }
    if (files.isEmpty())
        return fail(QStringLiteral("%1 holds no files to pack").arg(folder));

    qint64 total = 0;
    for (const PackageFile &file : qAsConst(files))
        total += file.content.size();
    if (!writePackageFile(packagePath, args.version, files, &error))
        return fail(error);
    out() << "packed " << files.size() << " files (" << total << " bytes) into " << packagePath
          << " (" << QFileInfo(packagePath).size() << " bytes)" << Qt::endl;
    return 0;
}

int runList(const Arguments &args)
{
    PackagePayload payload;
    QString error;
    if (!inspectPackage(args.positional.at(0), &payload, &error))
        return fail(error);
    out() << "version: " << payload.version << '\n';
    out() << "files: " << payload.entries.size() << '\n';
    for (const PackageEntry &entry : qAsConst(payload.entries))
        out() << entry.size << '\t' << entry.name << '\n';
    out().flush();
    return 0;
}

int runVerify(const Arguments &args)
{
    PackagePayload payload;
    QString error;
    if (!inspectPackage(args.positional.at(0), &payload, &error))
        return fail(error);
    qint64 total = 0;
    for (const PackageEntry &entry : qAsConst(payload.entries))
        total += entry.size;
    out() << "OK: version " << payload.version << ", " << payload.entries.size() << " files, "
          << total << " bytes" << Qt::endl;
    return 0;
}

int runUnpack(const Arguments &args)
{
    const QString packagePath = args.positional.at(0);
    const QString folder = args.positional.at(1);
    QString error;
    if (!unpackPackage(packagePath, folder, !args.keep, &error))
        return fail(error);
    out() << "unpacked " << packagePath << " into " << folder << Qt::endl;
    return 0;
}

int runFirmware(const Arguments &args)
{
    QFile rom(args.positional.at(0));
    if (!rom.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(rom.fileName()));
    if (rom.size() < 1 || rom.size() > FirmwareImage::kRomCapacity)
        return fail(QStringLiteral("%1 is %2 bytes; a ROM holds 1 to %3")
                        .arg(rom.fileName())
                        .arg(rom.size())
                        .arg(FirmwareImage::kRomCapacity));
    const QString id = args.positional.at(1);
    if (id.isEmpty() || id.size() > FirmwareImage::kDeviceIdLength)
        return fail(QStringLiteral("a device id has 1 to %1 characters").arg(FirmwareImage::kDeviceIdLength));
    QSaveFile image(args.positional.at(2));
    const QByteArray bytes = FirmwareImage::build(rom.readAll(), id);
    if (!image.open(QIODevice::WriteOnly) || !writeWholeFile(image, bytes))
        return fail(QStringLiteral("cannot write %1").arg(image.fileName()));
    out() << "wrote " << image.fileName() << " for " << id << " (" << rom.size() << " ROM bytes)" << Qt::endl;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 2 && std::strcmp(argv[1], "--measure") == 0)
        return runMeasured(argv + 2);
    if (argc == 3 && std::strcmp(argv[1], "--decode") == 0)
        return runDecodeOnly(argv[2]);
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage(QStringLiteral("no command given"));
    const QString command = args.takeFirst();
    if (command == QLatin1String("-h") || command == QLatin1String("--help")
        || command == QLatin1String("help")) {
        out() << kUsage;
        return 0;
    }

    struct Command {
        const char *name;
        int positional;
        int (*run)(const Arguments &);
    };
    static const Command commands[] = {
        {"pack", 2, runPack},
        {"list", 1, runList},
        {"verify", 1, runVerify},
        {"unpack", 2, runUnpack},
        {"firmware", 3, runFirmware},
        {"bench", 0, nullptr},
    };
    for (const Command &c : commands) {
        if (command != QLatin1String(c.name))
            continue;
        Arguments parsed;
        QString why;
        if (!parseArguments(command, args, &parsed, &why))
            return usage(why);
        if (parsed.positional.size() != c.positional)
            return usage(QStringLiteral("%1 takes %2 arguments, %3 given")
                             .arg(command)
                             .arg(c.positional)
                             .arg(parsed.positional.size()));
        if (!c.run)
            return runPackBench(parsed.sizeMiB, out(), err()) ? 0 : kExitFailure;
        return c.run(parsed);
    }
    return usage(QStringLiteral("unknown command %1").arg(command));
}
