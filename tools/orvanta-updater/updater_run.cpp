#include "updater_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "app_layout.h"
#include "logging.h"
#include "release_order_check.h"
#include "staged_install.h"
#include "wrap_file_download.h"

namespace {

constexpr int kDownloadAttempts = 3;

} // namespace

UpdaterRun::UpdaterRun(const UpdaterArguments& arguments)
    : m_arguments(arguments)
    , m_folder(QDir(arguments.appFolder).absolutePath())
{
}

QString UpdaterRun::programName()
{
    return QStringLiteral("orvanta");
}

int UpdaterRun::exec()
{
    LOG_INFO(QStringLiteral("Update Info: updating %1 (deployment '%2', version '%3') from %4")
                 .arg(m_folder, m_arguments.deployment, m_arguments.version, m_arguments.packageAddress));
    if (!waitForProgramToQuit()) {
        LOG_ERROR(QStringLiteral("Update Error: the program is still running after %1 ms; nothing changed")
                      .arg(m_arguments.quitTimeoutMs));
        return 2;
    }
    // The work folder lies inside the installation, so that every file
    // reaches its place by a rename on one file system.
    QTemporaryDir work(QDir(m_folder).filePath(QStringLiteral(".orvanta-update-XXXXXX")));
    if (!work.isValid()) {
        LOG_ERROR(QStringLiteral("Update Error: cannot create a work folder in %1: %2").arg(m_folder, work.errorString()));
        return 2;
    }
    QString why;
    const QString sequenceFile = appLayout().installed ? SequenceStore::defaultPath()
                                                       : QDir(m_folder).filePath(QStringLiteral("update-sequences.json"));
    auto check = std::make_shared<ReleaseOrderCheck>(QStringList{m_arguments.packageAddress}, sequenceFile);
    const bool updated = download(work.path(), check, &why)
                         && installStagingFolder(QDir(work.path()).filePath(QStringLiteral("staging")), m_folder,
                                               QDir(work.path()).filePath(QStringLiteral("backup")), &why);
    // The work folder goes before the program comes back, whatever the
    // outcome.
    work.remove();
    QString kept;
    if (updated && !check->keepInstalledRelease(&kept))
        LOG_ERROR(QStringLiteral("Update Error: cannot keep the installed release in %1: %2").arg(sequenceFile, kept));
    if (updated)
        LOG_INFO(QStringLiteral("Update Info: %1 updated").arg(m_folder));
    else
        LOG_ERROR(QStringLiteral("Update Error: %1; nothing changed").arg(why));
    // The user quit the program for this update: it comes back either way,
    // the old version when the update failed.
    if (!m_arguments.silent && !restartProgram())
        return 2;
    return updated ? 0 : 2;
}

bool UpdaterRun::waitForProgramToQuit()
{
    QElapsedTimer clock;
    clock.start();
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(m_arguments.instanceName);
        const bool running = socket.waitForConnected(500);
        socket.abort();
        if (!running)
            return true;
        if (clock.elapsed() >= m_arguments.quitTimeoutMs)
            return false;
        QThread::msleep(200);
    }
}

bool UpdaterRun::download(const QString& workFolder, const std::shared_ptr<PackageCheck>& check, QString* why)
{
    DownloadOptions options;
    // A signed package of a release not older than the installed one.
    options.packageCheck = check;
    options.baseFolder = workFolder;
    options.minimumBytesPerSecond = m_arguments.minimumRate;
    options.rateWindowMs = m_arguments.rateWindowMs;
    // One deadline for every attempt together.
    QElapsedTimer clock;
    clock.start();
    options.unpackFolder = QDir(workFolder).filePath(QStringLiteral("staging"));
    // The package is the program: its files are meant to be programs.
    options.refuseProgramFiles = false;
    for (int attempt = 1; attempt <= kDownloadAttempts; ++attempt) {
        if (m_arguments.downloadTimeoutMs > 0) {
            const qint64 left = m_arguments.downloadTimeoutMs - clock.elapsed();
            if (left <= 0)
                break;
            options.deadlineMs = int(left);
        }
        wrapFileDownload download;
        QEventLoop loop;
        bool ok = false;
        QObject::connect(&download, &wrapFileDownload::downloadEnded, &loop, [&](bool success) {
            ok = success;
            loop.quit();
        });
        download.downloadFile(m_arguments.packageAddress, QStringLiteral("download"), wrapFileDownload::PageFile,
                              options);
        loop.exec();
        if (ok)
            return true;
        // A network error keeps the partial file: the next attempt resumes.
        // Any other failure deletes it, and trying again would not help.
        if (download.filePath().isEmpty() || !QFileInfo::exists(download.filePath()))
            break;
        LOG_INFO(QStringLiteral("Update Info: download attempt %1 failed, resuming").arg(attempt));
    }
    *why = QStringLiteral("the package %1 could not be downloaded and unpacked").arg(m_arguments.packageAddress);
    return false;
}

bool UpdaterRun::restartProgram()
{
    const QString program = QDir(m_folder).filePath(programName());
    if (!QProcess::startDetached(program, {}, m_folder)) {
        LOG_ERROR(QStringLiteral("Update Error: cannot start %1").arg(program));
        return false;
    }
    LOG_INFO(QStringLiteral("Update Info: %1 started").arg(program));
    return true;
}
