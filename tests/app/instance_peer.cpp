// One program instance as far as the single-instance guard goes, for the
// two-process tests: instance_peer <server name> <log file> [trusted uid].
// The trusted uid stands in for another user's process. It reports on
// stdout "FIRST <pid>" once it serves, "COMMAND <name>" for each command
// it receives and "QUIT" when the guard asks to quit (then it exits 0).
#include "instance_guard.h"
#include "logging.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    Logger::setFilePath(QString::fromLocal8Bit(argv[2]));
    QTextStream out(stdout);
    InstanceGuard guard(QString::fromLocal8Bit(argv[1]));
    if (argc > 3)
        guard.setTrustedUserId(QString::fromLocal8Bit(argv[3]).toUInt());
    QObject::connect(&guard, &InstanceGuard::firstInstance, [&]() {
        out << "FIRST " << QCoreApplication::applicationPid() << "\n";
        out.flush();
    });
    QObject::connect(&guard, &InstanceGuard::commandReceived, [&](const QString& name) {
        out << "COMMAND " << name << "\n";
        out.flush();
    });
    QObject::connect(&guard, &InstanceGuard::quitRequested, [&]() {
        out << "QUIT\n";
        out.flush();
        QCoreApplication::quit();
    });
    guard.start();
    return app.exec();
}
