#pragma once

#include <QString>
#include <QStringList>

// The argument line the program starts the updater with:
//   --update=<product> --down=<package address> --deployment=<id>
//   --version=<version> [--SilentUpgrade]
// and the options a test or a hand-run adds:
//   --app-folder=<folder>     the installation (default: the updater's folder)
//   --instance-name=<name>    the program's single-instance socket
//   --quit-timeout=<ms>       how long the program may take to quit
//   --download-timeout=<ms>   how long the whole download may take
//   --minimum-rate=<bytes>    the slowest transfer taken, in bytes a second
//                             over a minute (or over --rate-window=<ms>)
struct UpdaterArguments {
    QString product;
    QString packageAddress;
    QString deployment;
    QString version;
    bool silent = false;
    QString appFolder;
    QString instanceName;
    int quitTimeoutMs = 60000;
    int downloadTimeoutMs = 30 * 60 * 1000;
    int minimumRate = 1024;
    int rateWindowMs = 60000;

    // False, with why, for an unknown argument, a missing or non-HTTP(S)
    // package address, or a malformed number.
    bool parse(const QStringList& arguments, QString* why);
};
