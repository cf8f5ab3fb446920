// orvanta-pack: the command-line front end of the update package library.
// It uses the same reading, checking and unpacking code as the program, so a
// package it accepts is one the program accepts.

#include "pack_bench.h"

#include "firmware_image.h"
#include "minisign.h"
#include "package_reader.h"
#include "package_signature.h"
#include "package_unpacker.h"
#include "package_writer.h"
#include "whole_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage:\n"
    "  orvanta-pack pack <folder> <package> [--version TEXT] [--key FILE [--sequence N] [--min-version V]]\n"
    "      Packs every file below <folder> into <package>; with --key, signs it too.\n"
    "  orvanta-pack list <package>\n"
    "      Prints the version and the files (size and name) of <package>.\n"
    "  orvanta-pack verify <package> [--public-key FILE]\n"
    "      Checks digest, compression, file list and names of <package>, and its\n"
    "      signature against the release key, the keys of ORVANTA_UPDATE_KEYS and\n"
    "      --public-key; fails unless a trusted key signed it.\n"
    "  orvanta-pack keygen [--name TEXT] [--secret-key FILE] [--public-key FILE]\n"
    "      Makes a signing key pair (default orvanta.key and orvanta.pub), in\n"
    "      minisign's formats; the secret key is not encrypted: keep it offline.\n"
    "  orvanta-pack sign <package> --key FILE [--sequence N] [--min-version V]\n"
    "      Signs <package> in place with the secret key FILE: release sequence N\n"
    "      (default 0), installable by Orvanta V or newer (default 0).\n"
    "  orvanta-pack sign-list <file> --key FILE --channel NAME --sequence N [--expires-in DAYS]\n"
    "      Writes <file>.minisig, a minisign signature whose trusted comment names\n"
    "      the channel, the sequence and an expiry DAYS from now (default 30).\n"
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
    QString key;
    QString publicKey;
    QString secretKeyOut = QStringLiteral("orvanta.key");
    QString publicKeyOut = QStringLiteral("orvanta.pub");
    QString name = QStringLiteral("Orvanta signing key");
    quint64 sequence = 0;
    bool sequenceGiven = false;
    ClientVersion minVersion;
    QString channel;
    int expiresDays = 30;
};

// Options taking a value, and the commands that take them.
bool takeValue(const QString &command, const QString &arg, const QString &value, Arguments *parsed, QString *why)
{
    const auto is = [&](const char *option, std::initializer_list<const char *> commands) {
        if (arg != QLatin1String(option))
            return false;
        for (const char *c : commands) {
            if (command == QLatin1String(c))
                return true;
        }
        return false;
    };
    bool ok = true;
    if (is("--key", {"pack", "sign", "sign-list"})) {
        parsed->key = value;
    } else if (is("--public-key", {"verify"})) {
        parsed->publicKey = value;
    } else if (is("--public-key", {"keygen"})) {
        parsed->publicKeyOut = value;
    } else if (is("--secret-key", {"keygen"})) {
        parsed->secretKeyOut = value;
    } else if (is("--name", {"keygen"})) {
        parsed->name = value;
    } else if (is("--sequence", {"pack", "sign", "sign-list"})) {
        parsed->sequence = value.toULongLong(&ok);
        parsed->sequenceGiven = ok;
    } else if (is("--min-version", {"pack", "sign"})) {
        ok = ClientVersion::parse(value, &parsed->minVersion);
    } else if (is("--channel", {"sign-list"})) {
        parsed->channel = value;
        ok = !value.isEmpty();
    } else if (is("--expires-in", {"sign-list"})) {
        parsed->expiresDays = value.toInt(&ok);
        ok = ok && parsed->expiresDays > 0 && parsed->expiresDays <= 3660;
    } else {
        *why = QStringLiteral("unknown option %1 for %2").arg(arg, command);
        return false;
    }
    if (!ok)
        *why = QStringLiteral("%1 does not take \"%2\"").arg(arg, value);
    return ok;
}

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
            if (++i >= args.size()) {
                *why = QStringLiteral("%1 needs a value").arg(arg);
                return false;
            }
            if (!takeValue(command, arg, args.at(i), parsed, why))
                return false;
        } else {
            parsed->positional.append(arg);
        }
    }
    return true;
}

bool readSecretKey(const QString &path, MinisignSecretKey *key, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the key %1").arg(path);
        return false;
    }
    QString why;
    if (!Minisign::parseSecretKeyFile(file.read(Minisign::kMaxFileSize + 1), key, &why)) {
        *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    return true;
}

bool saveBytes(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && writeWholeFile(file, bytes))
        return true;
    *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return false;
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
    if (!args.key.isEmpty()) {
        MinisignSecretKey key;
        if (!readSecretKey(args.key, &key, &error))
            return fail(error);
        QByteArray package;
        if (!buildPackage(args.version, files, &package, &error)
            || !PackageSignature::sign(&package, key, args.sequence, args.minVersion, &error)
            || !saveBytes(packagePath, package, &error))
            return fail(error);
        out() << "signed with " << key.publicKey().name << " (key " << key.publicKey().idText() << "), release "
              << args.sequence << Qt::endl;
    } else if (!writePackageFile(packagePath, args.version, files, &error)) {
        return fail(error);
    }
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
    const QString path = args.positional.at(0);
    if (!inspectPackage(path, &payload, &error))
        return fail(error);
    qint64 total = 0;
    for (const PackageEntry &entry : qAsConst(payload.entries))
        total += entry.size;
    out() << "package OK: version " << payload.version << ", " << payload.entries.size() << " files, "
          << total << " bytes" << Qt::endl;

    QStringList problems;
    UpdateKeys keys = UpdateKeys::trusted(&problems);
    if (!args.publicKey.isEmpty()) {
        QFile file(args.publicKey);
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read %1").arg(args.publicKey));
        const int before = keys.keys().size();
        keys.addFromText(file.read(kMaxKeysFileSize), args.publicKey, &problems);
        if (keys.keys().size() == before)
            problems.append(QStringLiteral("%1 holds no public key").arg(args.publicKey));
    }
    for (const QString &problem : qAsConst(problems))
        err() << "orvanta-pack: " << problem << Qt::endl;
    const PackageVerdict verdict = PackageSignature::verifyPath(path, keys);
    if (verdict.kind == PackageVerdict::Unsigned)
        return fail(QStringLiteral("refused: %1 (the package carries no signature)").arg(verdict.reason));
    if (!verdict.trusted())
        return fail(QStringLiteral("refused: %1").arg(verdict.reason));
    out() << "signed by " << verdict.signer << ", release " << verdict.sequence << ", for Orvanta "
          << verdict.minimumClient.text() << " or newer" << Qt::endl;
    return 0;
}

int runKeygen(const Arguments &args)
{
    for (const QString &path : {args.secretKeyOut, args.publicKeyOut}) {
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            return fail(QStringLiteral("%1 exists already; nothing was written").arg(path));
    }
    const MinisignSecretKey key = Minisign::generate(args.name);
    if (key.secretKey.isEmpty())
        return fail(QStringLiteral("the key could not be made"));
    // The secret key is readable by its owner only, from its first byte.
    const QByteArray secretPath = QFile::encodeName(args.secretKeyOut);
    const int fd = ::open(secretPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    const QByteArray secret = Minisign::secretKeyFile(key);
    if (fd < 0 || ::write(fd, secret.constData(), size_t(secret.size())) != secret.size() || ::fsync(fd) != 0) {
        if (fd >= 0) {
            ::close(fd);
            ::unlink(secretPath.constData());
        }
        return fail(QStringLiteral("cannot write %1").arg(args.secretKeyOut));
    }
    ::close(fd);
    QString error;
    if (!saveBytes(args.publicKeyOut, Minisign::publicKeyFile(key.publicKey()), &error))
        return fail(error);
    out() << "key " << key.publicKey().idText() << " (" << key.name << "): secret key " << args.secretKeyOut
          << ", public key " << args.publicKeyOut << '\n'
          << UpdateKeys::keyLine(key.publicKey()) << Qt::endl;
    return 0;
}

int runSign(const Arguments &args)
{
    if (args.key.isEmpty())
        return usage(QStringLiteral("sign needs --key"));
    MinisignSecretKey key;
    QString error;
    if (!readSecretKey(args.key, &key, &error))
        return fail(error);
    const QString path = args.positional.at(0);
    PackagePayload payload;
    if (!inspectPackage(path, &payload, &error))
        return fail(error);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(path));
    QByteArray package = file.readAll();
    file.close();
    if (!PackageSignature::sign(&package, key, args.sequence, args.minVersion, &error) || !saveBytes(path, package, &error))
        return fail(error);
    out() << "signed " << path << " with " << key.publicKey().name << " (key " << key.publicKey().idText()
          << "), release " << args.sequence << ", for Orvanta " << args.minVersion.text() << " or newer" << Qt::endl;
    return 0;
}

int runSignList(const Arguments &args)
{
    if (args.key.isEmpty() || args.channel.isEmpty() || !args.sequenceGiven)
        return usage(QStringLiteral("sign-list needs --key, --channel and --sequence"));
    MinisignSecretKey key;
    QString error;
    if (!readSecretKey(args.key, &key, &error))
        return fail(error);
    const QString path = args.positional.at(0);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(path));
    const QByteArray list = file.readAll();
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const qint64 expires = now + qint64(args.expiresDays) * 86400;
    const QString comment = QStringLiteral("channel:%1\tsequence:%2\texpires:%3\ttimestamp:%4")
                                .arg(args.channel)
                                .arg(args.sequence)
                                .arg(expires)
                                .arg(now);
    if (!saveBytes(path + QStringLiteral(".minisig"), Minisign::sign(list, key, comment), &error))
        return fail(error);
    out() << "wrote " << path << ".minisig (channel " << args.channel << ", sequence " << args.sequence
          << ", expires " << QDateTime::fromSecsSinceEpoch(expires, Qt::UTC).toString(Qt::ISODate) << ")" << Qt::endl;
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
    if (argc == 4 && std::strcmp(argv[1], "--check-signature") == 0)
        return runSignatureOnly(argv[2], argv[3]);
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
        {"keygen", 0, runKeygen},
        {"sign", 1, runSign},
        {"sign-list", 1, runSignList},
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
