#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "common_file_downloader.h"
#include "query_callback.h"

class QThread;

// Starts one segmented download on a thread of its own and answers the page
// request that asked for it: a page file is answered with its path, a
// firmware package with signal_downBinFinish (the firmware update goes on
// from there), a failure with "downloadFaild". The thread and the
// downloader go away when the download ends.
class wrapFileDownload : public QObject
{
    Q_OBJECT
public:
    enum Kind { PageFile, FirmwareFile };

    explicit wrapFileDownload(QObject* parent = nullptr);
    // Stops a download still running and waits for its thread.
    ~wrapFileDownload() override;

    // Starts downloading address into options.baseFolder/subFolder.
    // callback (may be null) receives the answer.
    void downloadFile(const QString& address, const QString& subFolder, Kind kind, const DownloadOptions& options,
                      QueryCallbackPtr callback = nullptr);

    // The output file ("" when its path was refused).
    QString filePath() const { return m_filePath; }
    bool isRunning() const { return m_running; }

signals:
    void signal_downBinFinish();
    // Any end of the download: ok tells whether it was unpacked.
    void downloadEnded(bool ok);
    // Bytes in the file so far and the whole size (0 when unknown).
    void progress(qint64 received, qint64 total, const QString& path);

public slots:
    void on_downloadfileFinished();
    void on_downloadbinfileFinished();
    void on_downloadfileFaild();

private:
    void end(bool ok);

    QPointer<QThread> m_thread;
    QString m_address;
    QString m_subFolder;
    QString m_filePath;
    QueryCallbackPtr m_callback;
    bool m_running = false;
};
