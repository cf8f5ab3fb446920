#pragma once

#include <QElapsedTimer>
#include <QMutex>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>

#include "package_format.h"
#include "package_unpacker.h"

#include <memory>

class QFile;
class QTimer;
class QNetworkAccessManager;
class QThread;

// Where a download lands and what limits it.
struct DownloadOptions {
    // The folder the sub-folder is relative to: the application folder.
    // The file never lands outside it.
    QString baseFolder;
    // Where the finished package is unpacked; empty: baseFolder.
    QString unpackFolder;
    // A transfer that moves no byte for this long ends as a network error.
    int stallTimeoutMs = 30000;
    // A transfer slower than this many bytes a second, measured over
    // rateWindowMs, ends as a network error (a server that sends a byte now
    // and then would otherwise hold the download forever); 0: no minimum.
    qint64 minimumBytesPerSecond = 256;
    int rateWindowMs = 60000;
    // The whole download ends as a network error after this long; 0: no
    // deadline.
    int deadlineMs = 0;
    // Every download is an update package, and no larger package unpacks.
    qint64 maxSize = PackageFormat::kMaxPackageFileSize;
    // What a package holds never replaces one of the program's own files nor
    // becomes a program (refusesProgramWrite): the rule of everything pages
    // download. The updater, whose packages are the program, turns it off.
    bool refuseProgramFiles = true;
    // What the package must show before it is unpacked; null: a trusted
    // signature (NetworkPackageCheck for the address and the file). Every
    // download comes from the network, so there is no way to ask for less.
    std::shared_ptr<PackageCheck> packageCheck;
};

// One segmented download on a worker thread. The file is
// <base>/<sub-folder>/<last segment of the address> ("file-N" when the
// address has none). A partial file left by an earlier attempt is resumed
// from its last whole 100 KiB, with "Range: bytes=<count>-". When the
// server's parts are complete the file is unpacked as an update package.
//
//  - A network error ends the download with the partial file kept, so a
//    later download of the same address resumes; every other failure
//    (a bad HTTP status, a file that cannot be written, a package that does
//    not unpack) deletes it.
//  - 416 to a resume request means the file on disk is complete: it is
//    unpacked.
//  - A server that ignores the range (200) or answers another range than
//    the one asked for would make appending corrupt the file: the file is
//    started over from the reply's first byte (or asked for again from
//    byte 0 when the reply starts elsewhere).
//  - A reply that ends before the announced total is followed by a request
//    for the rest.
//  - Only http and https addresses are fetched. The server is asked for the
//    bytes as they are ("Accept-Encoding: identity"), and a reply that comes
//    compressed all the same is refused: every size limit counts the bytes
//    that land on disk, never a compressed stream that would unpack to more.
//  - A download slower than the minimum rate, or still running at its
//    deadline, ends like a network error (the partial file is kept).
//
// Constructed on the caller's thread, which prepares the file; everything
// else runs on the worker thread (or, without one, on the caller's thread
// once start() is called).
class commonFileDownloader : public QObject
{
    Q_OBJECT
public:
    commonFileDownloader(QThread* thread, const QString& address, const QString& subFolder,
                         const DownloadOptions& options);
    ~commonFileDownloader() override;

    // The output file ("" when its path was refused).
    QString filePath() const { return m_path; }
    // The byte count the download resumes from, as the constructor found it.
    qint64 resumedFrom() const { return m_resumedFrom; }
    qint64 downloadedBytes() const;
    qint64 totalBytes() const;

signals:
    // Bytes in the file so far, and the whole file's size (0 when unknown).
    void finishPart(qint64 received, qint64 total);
    void downLoadFinished();
    void downLoadFailed();

public slots:
    void start();
    void sendRequest();
    void partMetaGot();
    void partFinished(qint64 received, qint64 total);
    void partFailed(QNetworkReply::NetworkError code);

private:
    void onReplyFinished();
    void checkPace();
    void endSlow(const QString& why);
    void prepareFile(const QString& address, const QString& subFolder);
    bool startOver();
    bool appendAvailable();
    void finish();
    void fail(const QString& why);
    void endKeepingFile();
    void closeFile();
    void dropReply();
    int httpStatus() const;
    void setCounts(qint64 downloaded, qint64 total);

    QString m_address;
    DownloadOptions m_options;
    QTimer* m_pace = nullptr;
    QElapsedTimer m_started;
    // Bytes received by the time of each pace check, for the rate window.
    QVector<QPair<qint64, qint64>> m_paceMarks;  // (elapsed ms, downloaded)
    QNetworkAccessManager* m_manager = nullptr;
    QPointer<QNetworkReply> m_reply;
    QFile* m_file = nullptr;
    QString m_path;
    QString m_refusal;
    mutable QMutex m_mutex;
    qint64 m_downloaded = 0;   // guarded by m_mutex
    qint64 m_total = 0;        // guarded by m_mutex
    qint64 m_resumedFrom = 0;
    qint64 m_requestedFrom = 0;
    qint64 m_replyBytes = 0;
    bool m_metaChecked = false;
    bool m_skipBody = false;
    bool m_askedFromZero = false;
    bool m_done = false;
};
