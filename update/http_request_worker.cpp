#include "http_request_worker.h"

#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QUrl>

#include "http_request_layout.h"

HttpRequestWorker::HttpRequestWorker(QObject* parent)
    : QObject(parent)
    , manager(new QNetworkAccessManager(this))
{
    connect(manager, &QNetworkAccessManager::finished, this, &HttpRequestWorker::on_manager_finished);
}

void HttpRequestWorker::execute(HttpRequestSpec* input)
{
    response.clear();
    error_type = QNetworkReply::NoError;
    error_str.clear();
    m_buffer.clear();
    m_tooLarge = false;
    m_refusedCoding = false;
    if (!input)
        return;

    const HttpRequestSpec::Layout layout = input->effectiveLayout();
    QString address = input->url;
    QByteArray body;
    QByteArray boundary;
    if (layout == HttpRequestSpec::Address || layout == HttpRequestSpec::NotSet)
        address = HttpRequestLayout::addressWithVariables(input->url, input->variables());
    else if (layout == HttpRequestSpec::UrlEncoded)
        body = HttpRequestLayout::encodedPairs(input->variables());
    else {
        boundary = HttpRequestLayout::newBoundary();
        body = HttpRequestLayout::multipartBody(*input, boundary);
    }

    QNetworkRequest request{QUrl(address)};
    request.setRawHeader("User-Agent", "Agent name goes here");
    // The bytes as they are: Qt would otherwise ask for gzip and inflate the
    // reply before the size limit sees a byte of it.
    request.setRawHeader("Accept-Encoding", "identity");
    if (layout == HttpRequestSpec::UrlEncoded)
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/x-www-form-urlencoded"));
    else if (layout == HttpRequestSpec::Multipart)
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("multipart/form-data; boundary=") + boundary);
    if (m_timeoutMs > 0)
        request.setTransferTimeout(m_timeoutMs);

    QNetworkReply* reply = nullptr;
    const QString& method = input->method;
    if (method == QLatin1String("GET"))
        reply = manager->get(request);
    else if (method == QLatin1String("POST"))
        reply = manager->post(request, body);
    else if (method == QLatin1String("PUT"))
        reply = manager->put(request, body);
    else if (method == QLatin1String("HEAD"))
        reply = manager->head(request);
    else if (method == QLatin1String("DELETE"))
        reply = manager->deleteResource(request);
    else
        reply = manager->sendCustomRequest(request, method.toLatin1(), body);
    // Only what the limit allows is ever held: the reply's own buffer is
    // bounded too, and the body is collected as it arrives.
    reply->setReadBufferSize(64 * 1024);
    connect(reply, &QNetworkReply::readyRead, this, [this, reply]() { collect(reply); });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply]() { checkCoding(reply); });
}

void HttpRequestWorker::checkCoding(QNetworkReply* reply)
{
    const QByteArray coding = reply->rawHeader("Content-Encoding").trimmed().toLower();
    if (coding.isEmpty() || coding == "identity" || m_refusedCoding)
        return;
    m_refusedCoding = true;
    m_buffer.clear();
    reply->abort();
}

void HttpRequestWorker::collect(QNetworkReply* reply)
{
    if (m_tooLarge || m_refusedCoding)
        return;
    const QByteArray chunk = reply->read(m_maxResponseSize - m_buffer.size() + 1);
    m_buffer += chunk;
    if (m_buffer.size() > m_maxResponseSize) {
        m_tooLarge = true;
        m_buffer.clear();
        reply->abort();
    }
}

void HttpRequestWorker::on_manager_finished(QNetworkReply* reply)
{
    checkCoding(reply);
    collect(reply);
    if (m_tooLarge) {
        error_type = QNetworkReply::UnknownContentError;
        error_str = QStringLiteral("reply larger than %1 bytes").arg(m_maxResponseSize);
    } else if (m_refusedCoding) {
        error_type = QNetworkReply::UnknownContentError;
        error_str = QStringLiteral("reply in a content coding (%1) that was not asked for")
                        .arg(QString::fromLatin1(reply->rawHeader("Content-Encoding").left(40)));
    } else {
        error_type = reply->error();
        if (error_type != QNetworkReply::NoError)
            error_str = reply->errorString();
        else
            response = m_buffer;
    }
    m_buffer.clear();
    reply->deleteLater();
    emit on_execution_finished(this);
}
