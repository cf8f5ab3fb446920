#include "common_file_downloader.h"

#include <QDir>
#include <QFile>
#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include "download_file.h"
#include "logging.h"
#include "network_package_check.h"
#include "package_unpacker.h"
#include "path_inside_folder.h"
#include "program_files.h"

namespace {

// The reply's buffer is drained at every signal; it never holds more.
constexpr qint64 kReadBufferSize = 256 * 1024;

QByteArray contentRange(const QNetworkReply* reply)
{
    for (const QByteArray& name : reply->rawHeaderList()) {
        if (name.toLower() == "content-range")
            return reply->rawHeader(name);
    }
    return QByteArray();
}

// The size after "/" of a Content-Range value; -1 when there is none
// ("bytes 0-99/*").
qint64 rangeTotal(const QByteArray& value)
{
    static const QRegularExpression pattern(QStringLiteral("/(\\d+)([^\\d]|$)"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(value));
    bool ok = false;
    const qint64 total = match.hasMatch() ? match.captured(1).toLongLong(&ok) : -1;
    return ok ? total : -1;
}

// The first byte of a Content-Range value ("bytes 204800-249999/250000");
// -1 when there is none.
qint64 rangeStart(const QByteArray& value)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*bytes\\s+(\\d+)-"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(value));
    bool ok = false;
    const qint64 start = match.hasMatch() ? match.captured(1).toLongLong(&ok) : -1;
    return ok ? start : -1;
}

bool acceptedStatus(int status)
{
    return status == 200 || status == 206 || status == 416;
}

// The content coding of a reply: "" or "identity" for the bytes as they are.
QByteArray contentCoding(const QNetworkReply* reply)
{
    for (const QByteArray& name : reply->rawHeaderList()) {
        if (name.toLower() == "content-encoding")
            return reply->rawHeader(name).trimmed().toLower();
    }
    return QByteArray();
}

constexpr int kPaceCheckMs = 1000;

} // namespace

commonFileDownloader::commonFileDownloader(QThread* thread, const QString& address, const QString& subFolder,
                                           const DownloadOptions& options)
    : m_address(address)
    , m_options(options)
    , m_manager(new QNetworkAccessManager(this))
    , m_file(new QFile(this))
{
    if (m_options.unpackFolder.isEmpty())
        m_options.unpackFolder = m_options.baseFolder;
    m_pace = new QTimer(this);
    m_pace->setInterval(kPaceCheckMs);
    connect(m_pace, &QTimer::timeout, this, &commonFileDownloader::checkPace);
    prepareFile(address, subFolder);
    if (thread) {
        // The manager and the file are children: they move along.
        moveToThread(thread);
        connect(thread, &QThread::started, this, &commonFileDownloader::start);
    }
}

commonFileDownloader::~commonFileDownloader()
{
    dropReply();
    closeFile();
}

void commonFileDownloader::prepareFile(const QString& address, const QString& subFolder)
{
    if (!DownloadFile::isWebAddress(address)) {
        m_refusal = QStringLiteral("'%1' is not an http or https address").arg(address);
        return;
    }
    QString name = DownloadFile::fileNameOf(address);
    if (name.isEmpty())
        name = DownloadFile::fallbackName();
    const QString base = m_options.baseFolder;
    const std::optional<QString> folder = pathInsideFolder(base, subFolder);
    if (!folder || !QDir().mkpath(*folder)) {
        m_refusal = QStringLiteral("the folder '%1' is outside '%2' or cannot be created").arg(subFolder, base);
        return;
    }
    // Checked again now that the folder exists: a symbolic link on the way
    // is resolved and must still end inside the base folder. The name is
    // one plain segment; a link there is refused, never followed
    // (prepareResume and openForAppend see to that).
    if (!pathInsideFolder(base, *folder, AbsolutePaths::Accept)) {
        m_refusal = QStringLiteral("the folder '%1' is outside '%2'").arg(subFolder, base);
        return;
    }
    const QString path = QDir(*folder).filePath(name);
    // Nor may a download replace one of the program's own files.
    if (isProgramFile(base, path)) {
        m_refusal = QStringLiteral("'%1' is one of the program's own files").arg(path);
        return;
    }
    const qint64 count = DownloadFile::prepareResume(path);
    if (count < 0) {
        m_refusal = QStringLiteral("'%1' exists and is not a file").arg(path);
        return;
    }
    m_path = path;
    m_resumedFrom = count;
    setCounts(count, 0);
}

qint64 commonFileDownloader::downloadedBytes() const
{
    QMutexLocker lock(&m_mutex);
    return m_downloaded;
}

qint64 commonFileDownloader::totalBytes() const
{
    QMutexLocker lock(&m_mutex);
    return m_total;
}

void commonFileDownloader::setCounts(qint64 downloaded, qint64 total)
{
    QMutexLocker lock(&m_mutex);
    m_downloaded = downloaded;
    m_total = total;
}

void commonFileDownloader::start()
{
    if (m_done)
        return;
    if (m_path.isEmpty()) {
        fail(m_refusal);
        return;
    }
    m_started.start();
    m_paceMarks = {qMakePair(qint64(0), downloadedBytes())};
    if (m_options.deadlineMs > 0 || m_options.minimumBytesPerSecond > 0)
        m_pace->start();
    sendRequest();
}

void commonFileDownloader::checkPace()
{
    if (m_done)
        return;
    const qint64 now = m_started.elapsed();
    if (m_options.deadlineMs > 0 && now >= m_options.deadlineMs) {
        endSlow(QStringLiteral("%1 was not downloaded within %2 s").arg(m_address).arg(m_options.deadlineMs / 1000.0));
        return;
    }
    if (m_options.minimumBytesPerSecond <= 0 || m_options.rateWindowMs <= 0)
        return;
    m_paceMarks.append(qMakePair(now, downloadedBytes()));
    // The oldest mark kept is the last one at or before the window's start.
    while (m_paceMarks.size() > 1 && m_paceMarks.at(1).first <= now - m_options.rateWindowMs)
        m_paceMarks.removeFirst();
    const QPair<qint64, qint64> first = m_paceMarks.first();
    const qint64 span = now - first.first;
    if (span < m_options.rateWindowMs)
        return;
    const qint64 bytes = m_paceMarks.last().second - first.second;
    if (bytes * 1000 < m_options.minimumBytesPerSecond * span)
        endSlow(QStringLiteral("%1 came at %2 bytes in %3 s, slower than %4 bytes a second")
                    .arg(m_address)
                    .arg(bytes)
                    .arg(span / 1000.0)
                    .arg(m_options.minimumBytesPerSecond));
}

void commonFileDownloader::endSlow(const QString& why)
{
    LOG_ERROR(QStringLiteral("Update Error: %1").arg(why));
    dropReply();
    endKeepingFile();
}

void commonFileDownloader::sendRequest()
{
    dropReply();
    m_requestedFrom = downloadedBytes();
    m_replyBytes = 0;
    m_metaChecked = false;
    m_skipBody = false;

    QNetworkRequest request{QUrl(m_address)};
    request.setRawHeader("Range", "bytes=" + QByteArray::number(m_requestedFrom) + '-');
    // Bytes as they are: Qt would otherwise ask for gzip and inflate the
    // reply before a byte of it is counted.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setAttribute(QNetworkRequest::HttpPipeliningAllowedAttribute, true);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    if (m_options.stallTimeoutMs > 0)
        request.setTransferTimeout(m_options.stallTimeoutMs);

    QNetworkReply* reply = m_manager->get(request);
    reply->setReadBufferSize(kReadBufferSize);
    m_reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, this, &commonFileDownloader::partFinished);
    connect(reply, &QNetworkReply::errorOccurred, this, &commonFileDownloader::partFailed);
    connect(reply, &QNetworkReply::metaDataChanged, this, &commonFileDownloader::partMetaGot);
    connect(reply, &QNetworkReply::readyRead, this, [this]() {
        if (m_done || !m_reply)
            return;
        if (httpStatus() == 416)
            m_reply->readAll();  // a refusal's body is dropped, not kept in memory
        else if (m_metaChecked)
            appendAvailable();
    });
    connect(reply, &QNetworkReply::finished, this, &commonFileDownloader::onReplyFinished);
}

int commonFileDownloader::httpStatus() const
{
    if (!m_reply)
        return 0;
    return m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

void commonFileDownloader::partMetaGot()
{
    if (!m_reply || m_done)
        return;
    const QByteArray range = contentRange(m_reply);
    const qint64 total = rangeTotal(range);
    if (total >= 0) {
        QMutexLocker lock(&m_mutex);
        m_total = total;
    }
    const int status = httpStatus();
    if (m_metaChecked || (status != 200 && status != 206))
        return;
    m_metaChecked = true;
    const QByteArray coding = contentCoding(m_reply);
    if (!coding.isEmpty() && coding != "identity") {
        fail(QStringLiteral("%1 came with the content coding '%2'; only the bytes as they are are taken")
                 .arg(m_address, QString::fromLatin1(coding.left(40))));
        return;
    }

    // The reply must go on where the file ends, or the file starts over.
    const qint64 start = status == 206 ? rangeStart(range) : 0;
    if (start == m_requestedFrom)
        return;
    if (start == 0) {
        LOG_WARNING(QStringLiteral("Update Info: the server sent %1 from byte 0 instead of %2; starting the file over")
                        .arg(m_address)
                        .arg(m_requestedFrom));
        if (!startOver()) {
            fail(QStringLiteral("cannot empty '%1'").arg(m_path));
            return;
        }
        // A whole file (200) is as long as the reply; a part names its total.
        if (status == 200) {
            bool known = false;
            const qint64 length = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
            QMutexLocker lock(&m_mutex);
            m_total = known && length > 0 ? length : 0;
        }
        return;
    }
    if (m_askedFromZero) {
        fail(QStringLiteral("the server answered byte %1 of %2 for byte 0").arg(start).arg(m_address));
        return;
    }
    LOG_WARNING(QStringLiteral("Update Info: the server sent %1 from byte %2 instead of %3; asking from byte 0")
                    .arg(m_address)
                    .arg(start)
                    .arg(m_requestedFrom));
    m_askedFromZero = true;
    if (!startOver()) {
        fail(QStringLiteral("cannot empty '%1'").arg(m_path));
        return;
    }
    QMetaObject::invokeMethod(this, &commonFileDownloader::sendRequest, Qt::QueuedConnection);
    dropReply();
}

bool commonFileDownloader::startOver()
{
    if (!m_file->isOpen() && !DownloadFile::openForAppend(*m_file, m_path, m_options.baseFolder))
        return false;
    if (!DownloadFile::truncate(*m_file))
        return false;
    m_requestedFrom = 0;
    m_replyBytes = 0;
    QMutexLocker lock(&m_mutex);
    m_downloaded = 0;
    return true;
}

void commonFileDownloader::partFinished(qint64 received, qint64 total)
{
    if (!m_reply || m_done)
        return;
    const int status = httpStatus();
    if (status != 0 && !acceptedStatus(status)) {
        LOG_ERROR(QStringLiteral("Update Error:Bad HTTP status received in partFinished():%1").arg(status));
        fail(QString());
        return;
    }
    if (status == 416)
        return;  // the body of a refusal is not part of the file
    {
        QMutexLocker lock(&m_mutex);
        if (m_downloaded == 0 && m_total == 0 && total > 0)
            m_total = total;
    }
    LOG_INFO(QStringLiteral("Update Info:part %1 of %2").arg(received).arg(totalBytes()));
    if (!m_metaChecked)
        partMetaGot();
    if (m_done || !m_reply)
        return;
    if (!appendAvailable())
        return;
    emit finishPart(downloadedBytes(), totalBytes());
    const qint64 whole = totalBytes();
    if (whole > 0 && downloadedBytes() >= whole) {
        if (downloadedBytes() > whole) {
            fail(QStringLiteral("the server sent more than the %1 bytes it announced").arg(whole));
            return;
        }
        dropReply();
        closeFile();
        finish();
    }
}

bool commonFileDownloader::appendAvailable()
{
    if (m_skipBody || !m_reply)
        return true;
    if (!m_file->isOpen()) {
        QString why;
        if (!DownloadFile::openForAppend(*m_file, m_path, m_options.baseFolder, &why)) {
            LOG_ERROR(QStringLiteral("Update Error: Could not open output file '%1' for appending").arg(m_path));
            fail(why);
            return false;
        }
    }
    const QByteArray bytes = m_reply->readAll();
    if (bytes.isEmpty())
        return true;
    const qint64 downloaded = downloadedBytes() + bytes.size();
    if (downloaded > m_options.maxSize || totalBytes() > m_options.maxSize) {
        fail(QStringLiteral("'%1' is larger than %2 bytes").arg(m_address).arg(m_options.maxSize));
        return false;
    }
    if (m_file->write(bytes) != bytes.size()) {
        fail(QStringLiteral("cannot write '%1': %2").arg(m_path, m_file->errorString()));
        return false;
    }
    m_replyBytes += bytes.size();
    QMutexLocker lock(&m_mutex);
    m_downloaded = downloaded;
    return true;
}

void commonFileDownloader::partFailed(QNetworkReply::NetworkError code)
{
    if (!m_reply || m_done)
        return;
    const int status = httpStatus();
    if (status == 416) {
        // Nothing is left to fetch: the file on disk is complete, unless the
        // server names another size for it.
        const qint64 whole = rangeTotal(contentRange(m_reply));
        dropReply();
        closeFile();
        if (whole >= 0 && whole != downloadedBytes()) {
            fail(QStringLiteral("the partial file does not match the server's %1 bytes").arg(whole));
            return;
        }
        finish();
        return;
    }
    if (status != 0 && !acceptedStatus(status)) {
        LOG_ERROR(QStringLiteral("Update Error:Bad HTTP status received in partFinished():%1").arg(status));
        fail(QString());
        return;
    }
    LOG_ERROR(QStringLiteral("Update Error: failed to download part starting from %1, error %2")
                  .arg(m_requestedFrom)
                  .arg(int(code)));
    dropReply();
    endKeepingFile();
}

void commonFileDownloader::onReplyFinished()
{
    if (!m_reply || m_done || m_reply->error() != QNetworkReply::NoError)
        return;
    const int status = httpStatus();
    if (status != 200 && status != 206) {
        LOG_ERROR(QStringLiteral("Update Error:Bad HTTP status received in partFinished():%1").arg(status));
        fail(QString());
        return;
    }
    if (!m_metaChecked)
        partMetaGot();
    if (m_done || !m_reply || !appendAvailable())
        return;
    const qint64 whole = totalBytes();
    const qint64 downloaded = downloadedBytes();
    if (whole > 0 && downloaded > whole) {
        fail(QStringLiteral("the server sent more than the %1 bytes it announced").arg(whole));
        return;
    }
    if (whole > 0 && downloaded < whole) {
        // The server sent one part of the file: ask for the rest, as long
        // as each part brings something.
        if (m_replyBytes == 0) {
            LOG_ERROR(QStringLiteral("Update Error: failed to download part starting from %1, error %2")
                          .arg(m_requestedFrom)
                          .arg(int(QNetworkReply::UnknownContentError)));
            dropReply();
            endKeepingFile();
            return;
        }
        sendRequest();
        return;
    }
    dropReply();
    closeFile();
    finish();
}

void commonFileDownloader::finish()
{
    if (m_done)
        return;
    closeFile();
    QString error;
    // unpackPackage deletes the package once it has read it. What it holds
    // never replaces one of the program's own files.
    const QString base = m_options.baseFolder;
    RefuseFile ownFile;
    if (m_options.refuseProgramFiles)
        ownFile = [base](const QString& path, const QByteArray& head) { return refusesProgramWrite(base, path, head); };
    // Only a package a trusted key signed is unpacked.
    std::shared_ptr<PackageCheck> check = m_options.packageCheck;
    if (!check)
        check = std::make_shared<NetworkPackageCheck>(QStringList{m_address, m_path});
    if (!unpackPackage(m_path, m_options.unpackFolder, true, &error, ownFile, check.get())) {
        fail(QStringLiteral("cannot unpack '%1': %2").arg(m_path, error));
        return;
    }
    m_done = true;
    emit downLoadFinished();
}

void commonFileDownloader::fail(const QString& why)
{
    if (m_done)
        return;
    m_done = true;
    if (!why.isEmpty())
        LOG_ERROR(QStringLiteral("Update Error: %1").arg(why));
    dropReply();
    closeFile();
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    emit downLoadFailed();
}

void commonFileDownloader::endKeepingFile()
{
    if (m_done)
        return;
    m_done = true;
    closeFile();
    emit downLoadFailed();
}

void commonFileDownloader::closeFile()
{
    if (m_pace && m_pace->isActive())
        m_pace->stop();
    if (m_file && m_file->isOpen())
        m_file->close();
}

void commonFileDownloader::dropReply()
{
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    // A reply that reported an error is ending already; aborting it again
    // would report a second error.
    if (reply->isRunning() && reply->error() == QNetworkReply::NoError)
        reply->abort();
    reply->deleteLater();
}
