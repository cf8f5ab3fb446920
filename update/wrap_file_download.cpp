#include "wrap_file_download.h"

#include <QThread>

wrapFileDownload::wrapFileDownload(QObject* parent)
    : QObject(parent)
{
}

wrapFileDownload::~wrapFileDownload()
{
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
}

void wrapFileDownload::downloadFile(const QString& address, const QString& subFolder, Kind kind,
                                    const DownloadOptions& options, QueryCallbackPtr callback)
{
    m_address = address;
    m_subFolder = subFolder;
    m_callback = std::move(callback);
    m_running = true;

    auto* thread = new QThread;
    m_thread = thread;
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    auto* downloader = new commonFileDownloader(thread, address, subFolder, options);
    m_filePath = downloader->filePath();
    // The downloader lives on the thread and goes when the thread ends.
    connect(thread, &QThread::finished, downloader, &QObject::deleteLater);
    if (kind == FirmwareFile)
        connect(downloader, &commonFileDownloader::downLoadFinished, this, &wrapFileDownload::on_downloadbinfileFinished);
    else
        connect(downloader, &commonFileDownloader::downLoadFinished, this, &wrapFileDownload::on_downloadfileFinished);
    connect(downloader, &commonFileDownloader::downLoadFailed, this, &wrapFileDownload::on_downloadfileFaild);
    const QString path = m_filePath;
    connect(downloader, &commonFileDownloader::finishPart, this,
            [this, path](qint64 received, qint64 total) { emit progress(received, total, path); });
    thread->start(QThread::InheritPriority);
}

void wrapFileDownload::on_downloadfileFinished()
{
    if (m_callback)
        m_callback->success(m_filePath);
    end(true);
}

void wrapFileDownload::on_downloadbinfileFinished()
{
    emit signal_downBinFinish();
    end(true);
}

void wrapFileDownload::on_downloadfileFaild()
{
    if (m_callback)
        m_callback->failure(0, QStringLiteral("downloadFaild"));
    end(false);
}

void wrapFileDownload::end(bool ok)
{
    if (!m_running)
        return;
    m_running = false;
    m_callback.reset();
    if (m_thread)
        m_thread->quit();
    emit downloadEnded(ok);
}
