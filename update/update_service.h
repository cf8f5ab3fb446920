#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QVariantList>

#include <memory>

#include "device_discovery.h"
#include "query_callback.h"
#include "startup_update_check.h"
#include "wrap_file_download.h"

class BootLoaderRecord;
class FirmwareClock;
class UpdatePrompt;

// The update side of one program (the main window's, or orvanta-cli's):
// downloads of page files and firmware packages, firmware updates, the
// start-up update check and the updater replacement. Lives in the GUI
// thread; downloads and firmware updates run on threads of their own, and
// what they report comes back here as pageEvent for the host to raise:
//   "RefreshDownState" [total, received, path]  download progress
//   "onUpdateFirmware" [state]                  "updating", "updated", "updatefailed"
//   "onUpdateFirmware" ["updatefailed", reason, image key, requested key]
//                      a package for another device than the one the
//                      request named was refused before anything was sent
//   "onUpdateFirmware" ["updatefailed", "not signed by a trusted key"]
//                      the image did not come from a package a trusted key
//                      signed; nothing was sent
class UpdateService : public QObject
{
    Q_OBJECT
public:
    // folder: the application folder; downloads, images and the updater
    // live there.
    explicit UpdateService(const QString& folder, QObject* parent = nullptr);
    // Stops running downloads and waits for a firmware update to end.
    ~UpdateService() override;

    QString applicationFolder() const { return m_folder; }
    // folder + "update.bin": where a firmware package puts its image.
    QString firmwareImagePath() const;

    // Who is asked about an offered update (the update dialog); may be null.
    void setPrompt(UpdatePrompt* prompt) { m_prompt = prompt; }
    // The waits of firmware updates (default: SleepingFirmwareClock).
    void setFirmwareClock(std::shared_ptr<FirmwareClock> clock);
    // A download that moves no byte for this long ends (default 30 s).
    void setStallTimeoutMs(int ms) { m_stallTimeoutMs = ms; }

    // Downloads address into relativePath (below the application folder)
    // and unpacks it into the application folder; answers callback with
    // the downloaded file's path, or failure "downloadFaild" (at once when
    // the same file is being downloaded already).
    void downloadPageFile(const QString& address, const QString& relativePath, QueryCallbackPtr callback);
    // Downloads the firmware package at address into the application
    // folder and unpacks it; then raises "updating" and flashes
    // firmwareImagePath(). A failed download raises "updatefailed" (the
    // page's request has been answered "start download" by then). A second
    // request while that package downloads or a flash runs is refused by
    // answering callback "downloadFaild", with no event.
    // deviceKey: the device the request is for ("" when it names none).
    void downloadFirmware(const QString& address, QueryCallbackPtr callback, const QString& deviceKey = QString());
    // Flashes the image at imagePath on a thread of its own; raises
    // "updated" or "updatefailed". One update at a time: while one runs,
    // another is refused (false, logged, no event). With deviceKey, an
    // image for another device is refused before anything is sent.
    bool startFirmwareUpdate(const QString& imagePath, const QString& deviceKey = QString());
    bool firmwareUpdateRunning() const { return !m_firmwareThread.isNull(); }
    // A firmware package from address is being downloaded.
    bool downloading(const QString& address) const { return alreadyDownloading(address, QString()); }
    int runningDownloads() const;
    // A download or a firmware update is running.
    bool busy() const { return runningDownloads() > 0 || firmwareUpdateRunning(); }

    // Applies "Updater-new" over "Updater" in the application folder.
    void applyPendingUpdaterReplacement();
    // Whether the user lets the program ask for updates at start: conf.ini's
    // key kStartupCheckKey, "true" unless it says "false" (Settings shows
    // it as "Check for updates when the program starts"). The check sends
    // the client version and the attached devices' firmware versions to the
    // client profile's upgrade host.
    static constexpr const char* kStartupCheckKey = "CheckUpdateAtStart";
    bool startupCheckWanted() const;
    // The start-up check: one query per firmware version, 200 ms apart.
    // Replaces a check still running.
    StartupUpdateCheck* startStartupCheck(const QString& upgradeAttribute, const QString& clientVersion,
                                          const QStringList& firmwareVersions);
    StartupUpdateCheck* startupCheck() const { return m_startupCheck; }

    // The firmware versions ("LastVersionNum") of the devices, in key
    // order, each once.
    static QStringList firmwareVersions(const DeviceMap& devices);

signals:
    void pageEvent(const QString& name, const QVariantList& args);
    void firmwareUpdateFinished(bool success);
    void downloadEnded(bool success);

private:
    wrapFileDownload* newDownload();
    // A download of this address into this folder is running: a second one
    // would write the same file.
    bool alreadyDownloading(const QString& address, const QString& relativePath) const;
    void onFirmwareDownloaded(const QString& deviceKey);
    void sendProgress(qint64 received, qint64 total, const QString& path);
    void sendFirmwareState(const QString& state);

    QString m_folder;
    UpdatePrompt* m_prompt = nullptr;
    std::shared_ptr<FirmwareClock> m_clock;
    std::shared_ptr<BootLoaderRecord> m_bootLoaders;
    int m_stallTimeoutMs = 30000;
    QList<QPointer<wrapFileDownload>> m_downloads;
    QPointer<QThread> m_firmwareThread;
    QPointer<StartupUpdateCheck> m_startupCheck;
};
