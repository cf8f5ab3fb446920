#include "updater_launch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cstdio>

#include "logging.h"
#include "update_values.h"

namespace UpdaterLaunch {

QString programName()
{
    return QStringLiteral("Updater");
}

QStringList arguments(const QString& package, const QString& deployment, const QString& version, bool silent)
{
    QStringList out{QStringLiteral("--update=VelkorCloudEngine"), QStringLiteral("--down=") + package,
                    QStringLiteral("--deployment=") + deployment, QStringLiteral("--version=") + version};
    if (silent)
        out << QStringLiteral("--SilentUpgrade");
    return out;
}

bool start(const QString& folder, const QStringList& arguments)
{
#ifdef ORVANTA_DISTRO_BUILD
    // A distribution's package manager updates the program.
    Q_UNUSED(folder)
    LOG_INFO(QStringLiteral("Update Info: this build is updated by the package manager; the updater is not run (%1)")
                 .arg(arguments.join(QLatin1Char(' '))));
    return false;
#endif
    const QString program = QDir(folder).filePath(programName());
    LOG_INFO(QStringLiteral("Application Info: executing %1 %2").arg(program, arguments.join(QLatin1Char(' '))));
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(folder);
    qint64 pid = 0;
    const bool started = QFileInfo(program).isExecutable() && process.startDetached(&pid);
    if (!started) {
        const QString result = QFileInfo::exists(program) ? process.errorString() : QStringLiteral("not found");
        LOG_ERROR(QStringLiteral("Application Error: failed to execute %1, working directory: '%2', result: %3")
                      .arg(program, folder, result));
    }
    return started;
}

bool startScheduled(const QString& folder)
{
    if (!UpdateValues::runUpdaterAtExit())
        return false;
    return start(folder, UpdateValues::updaterArguments());
}

bool applyPendingReplacement(const QString& folder, int attempts, int intervalMs)
{
    const QDir dir(folder);
    const QString pending = dir.filePath(programName() + QStringLiteral("-new"));
    const QFileInfo info(pending);
    if (!info.exists() && !info.isSymLink())
        return false;
    if (info.isSymLink() || !info.isFile()) {
        LOG_ERROR(QStringLiteral("Update Error: %1 is not a plain file; the updater is not replaced").arg(pending));
        return false;
    }
    const QString target = dir.filePath(programName());
    const QString temporary = target + QStringLiteral(".tmp-%1").arg(QCoreApplication::applicationPid());
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(static_cast<unsigned long>(intervalMs));
        QFile::remove(temporary);
        if (!QFile::copy(pending, temporary))
            continue;
        QFile::setPermissions(temporary, QFile::permissions(temporary) | QFileDevice::ExeOwner
                                             | QFileDevice::ExeUser | QFileDevice::ReadOwner);
        // rename(2) replaces the old updater in one step.
        if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) == 0) {
            QFile::remove(pending);
            LOG_INFO(QStringLiteral("Update Info: %1 replaced by %2").arg(target, pending));
            return true;
        }
    }
    QFile::remove(temporary);
    LOG_ERROR(QStringLiteral("Update Error: cannot replace %1 with %2").arg(target, pending));
    return false;
}

} // namespace UpdaterLaunch
