// Updater: replaces the program's files with those of an update package
// while the program is not running, then starts it again.
//
//   Updater --update=<product> --down=<package address> --deployment=<id>
//           --version=<version> [--SilentUpgrade]
//           [--app-folder=<folder>] [--instance-name=<name>] [--quit-timeout=<ms>]
//
// The program starts it with the first line of arguments, from the
// application folder, as "Updater". Exit status: 0 updated, 1 usage error,
// 2 the update failed and the installation is unchanged. The log goes to
// updater.log in the application folder.
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

#include "instance_guard.h"
#include "logging.h"
#include "updater_arguments.h"
#include "updater_run.h"
#include "program_folder_plugins.h"

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    keepPluginsOutOfProgramFolder();
    UpdaterArguments arguments;
    arguments.appFolder = QCoreApplication::applicationDirPath();
    arguments.instanceName = InstanceGuard::defaultServerName();
    QString why;
    if (!arguments.parse(app.arguments().mid(1), &why)) {
        std::fprintf(stderr,
                     "Updater: %s\n"
                     "usage: Updater --update=NAME --down=URL --deployment=ID --version=VERSION [--SilentUpgrade]\n"
                     "               [--app-folder=FOLDER] [--instance-name=NAME] [--quit-timeout=MS]\n",
                     qPrintable(why));
        return 1;
    }
    Logger::setFilePath(QDir(arguments.appFolder).filePath(QStringLiteral("updater.log")));
    return UpdaterRun(arguments).exec();
}
