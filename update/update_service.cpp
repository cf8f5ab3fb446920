#include "update_service.h"

#include <QDir>
#include <QThread>

#include "boot_loader_record.h"
#include "download_file.h"
#include "firmware_clock.h"
#include "local_settings.h"
#include "logging.h"
#include "path_inside_folder.h"
#include "startup_update_check.h"
#include "network_package_check.h"
#include "package_signature.h"
#include "update_firmware.h"
#include "verified_images.h"
#include "updater_launch.h"
#include "wrap_file_download.h"

UpdateService::UpdateService(const QString& folder, QObject* parent)
    : QObject(parent)
    , m_folder(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'))
    , m_clock(std::make_shared<SleepingFirmwareClock>())
    , m_bootLoaders(std::make_shared<BootLoaderRecord>())
{
    NetworkPackageCheck::logBuildPolicy();
}

UpdateService::~UpdateService()
{
    // Each wrapper stops its download and waits for its thread.
    for (const QPointer<wrapFileDownload>& download : qAsConst(m_downloads))
        delete download.data();
    // A flash is not cut short: the device would be left in its boot loader.
    if (m_firmwareThread) {
        m_firmwareThread->quit();
        m_firmwareThread->wait();
        delete m_firmwareThread.data();
    }
}

QString UpdateService::firmwareImagePath() const
{
    return m_folder + QStringLiteral("update.bin");
}

void UpdateService::setFirmwareClock(std::shared_ptr<FirmwareClock> clock)
{
    if (clock)
        m_clock = std::move(clock);
}

int UpdateService::runningDownloads() const
{
    int count = 0;
    for (const QPointer<wrapFileDownload>& download : m_downloads)
        count += download && download->isRunning() ? 1 : 0;
    return count;
}

wrapFileDownload* UpdateService::newDownload()
{
    auto* download = new wrapFileDownload(this);
    m_downloads.removeAll(nullptr);
    m_downloads.append(download);
    connect(download, &wrapFileDownload::progress, this, &UpdateService::sendProgress);
    connect(download, &wrapFileDownload::downloadEnded, this, [this, download](bool ok) {
        emit downloadEnded(ok);
        download->deleteLater();
    });
    return download;
}

bool UpdateService::alreadyDownloading(const QString& address, const QString& relativePath) const
{
    const QString name = DownloadFile::fileNameOf(address);
    const std::optional<QString> folder = pathInsideFolder(m_folder, relativePath);
    if (name.isEmpty() || !folder)
        return false;
    const QString path = QDir(*folder).filePath(name);
    for (const QPointer<wrapFileDownload>& download : m_downloads) {
        if (download && download->isRunning() && download->filePath() == path)
            return true;
    }
    return false;
}

void UpdateService::downloadPageFile(const QString& address, const QString& relativePath, QueryCallbackPtr callback)
{
    if (alreadyDownloading(address, relativePath)) {
        LOG_ERROR(QStringLiteral("Update Error: %1 is being downloaded already").arg(address));
        if (callback)
            callback->failure(0, QStringLiteral("downloadFaild"));
        return;
    }
    wrapFileDownload* download = newDownload();
    connect(download, &wrapFileDownload::downloadEnded, this, [this, download](bool ok) {
        // The page hears the end of a download as 100 of 100.
        if (ok)
            emit pageEvent(QStringLiteral("RefreshDownState"), {100, 100, download->filePath()});
    });
    DownloadOptions options;
    options.baseFolder = m_folder;
    options.stallTimeoutMs = m_stallTimeoutMs;
    download->downloadFile(address, relativePath, wrapFileDownload::PageFile, options, std::move(callback));
}

void UpdateService::downloadFirmware(const QString& address, QueryCallbackPtr callback, const QString& deviceKey)
{
    // A second request while the first runs is refused on its own answer:
    // an "updatefailed" now would read as the running update's outcome.
    if (alreadyDownloading(address, QString()) || firmwareUpdateRunning()) {
        LOG_ERROR(QStringLiteral("Update Error: %1 is being downloaded or a firmware update is running already;"
                                 " this request is refused")
                      .arg(address));
        if (callback)
            callback->failure(0, QStringLiteral("downloadFaild"));
        return;
    }
    wrapFileDownload* download = newDownload();
    connect(download, &wrapFileDownload::signal_downBinFinish, this,
            [this, deviceKey]() { onFirmwareDownloaded(deviceKey); });
    connect(download, &wrapFileDownload::downloadEnded, this, [this](bool ok) {
        if (!ok)
            sendFirmwareState(QStringLiteral("updatefailed"));
    });
    DownloadOptions options;
    options.baseFolder = m_folder;
    options.stallTimeoutMs = m_stallTimeoutMs;
    download->downloadFile(address, QString(), wrapFileDownload::FirmwareFile, options, std::move(callback));
}

void UpdateService::onFirmwareDownloaded(const QString& deviceKey)
{
    sendFirmwareState(QStringLiteral("updating"));
    startFirmwareUpdate(firmwareImagePath(), deviceKey);
}

bool UpdateService::startFirmwareUpdate(const QString& imagePath, const QString& deviceKey)
{
    if (m_firmwareThread) {
        // No event: the running update's own end is the one the page waits
        // for.
        LOG_ERROR(QStringLiteral("Update Error: a firmware update is running; %1 is not flashed").arg(imagePath));
        return false;
    }
    auto* thread = new QThread;
    m_firmwareThread = thread;
    auto* worker = new CupdateFirmware(imagePath, m_clock, deviceKey, m_bootLoaders);
    // Only an image a trusted package put in place is flashed.
    worker->setImageCheck(VerifiedImages::take);
    worker->moveToThread(thread);
    // Signals of one sender reach this thread in order: the refusal comes
    // before the end.
    auto refusal = std::make_shared<QVariantList>();
    connect(worker, &CupdateFirmware::wrongDevice, this, [refusal](const QString& imageKey, const QString& expected) {
        *refusal = {QStringLiteral("This package is for %1, not %2").arg(imageKey, expected), imageKey, expected};
    });
    connect(worker, &CupdateFirmware::untrustedImage, this, [refusal]() {
        *refusal = {PackageSignature::notTrustedText()};
    });
    connect(thread, &QThread::started, worker, &CupdateFirmware::UpdateFirmware);
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &CupdateFirmware::signal_updateFinish, this, [this, thread, refusal](bool ok) {
        // The thread is done once its one job is; it is gone before anyone
        // hears the outcome, so that the next update may start at once.
        thread->quit();
        thread->wait();
        thread->deleteLater();
        m_firmwareThread = nullptr;
        if (!ok && !refusal->isEmpty())
            emit pageEvent(QStringLiteral("onUpdateFirmware"), QVariantList{QStringLiteral("updatefailed")} + *refusal);
        else
            sendFirmwareState(ok ? QStringLiteral("updated") : QStringLiteral("updatefailed"));
        emit firmwareUpdateFinished(ok);
    });
    thread->start(QThread::InheritPriority);
    return true;
}

void UpdateService::sendProgress(qint64 received, qint64 total, const QString& path)
{
    // Integers travel as 32 bits: the low 32 bits of the byte counts.
    const int total32 = static_cast<int>(static_cast<quint32>(total));
    const int received32 = static_cast<int>(static_cast<quint32>(received));
    emit pageEvent(QStringLiteral("RefreshDownState"), {total32, received32, path});
}

void UpdateService::sendFirmwareState(const QString& state)
{
    emit pageEvent(QStringLiteral("onUpdateFirmware"), {state});
}

void UpdateService::applyPendingUpdaterReplacement()
{
    UpdaterLaunch::applyPendingReplacement(m_folder);
}

bool UpdateService::startupCheckWanted() const
{
    return LocalSettings(m_folder).read(QLatin1String(kStartupCheckKey)).trimmed().toLower() != QLatin1String("false");
}

StartupUpdateCheck* UpdateService::startStartupCheck(const QString& upgradeAttribute, const QString& clientVersion,
                                                     const QStringList& firmwareVersions)
{
    delete m_startupCheck.data();
    m_startupCheck = new StartupUpdateCheck(upgradeAttribute, clientVersion, firmwareVersions, m_prompt, this);
    m_startupCheck->start();
    return m_startupCheck;
}

QStringList UpdateService::firmwareVersions(const DeviceMap& devices)
{
    QStringList versions;
    for (const QJsonObject& record : devices) {
        const QString version = record.value(QStringLiteral("LastVersionNum")).toString();
        if (!version.isEmpty() && !versions.contains(version))
            versions << version;
    }
    return versions;
}
