#include "local_scheme_handler.h"

#include "local_resources.h"

#include <QBuffer>
#include <QImage>
#include <QWebEngineUrlRequestJob>

void LocalRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QUrl url = info.requestUrl();
    if (LocalResources::isBelowPageRoot(url))
        info.redirect(LocalResources::toLocalUrl(url));
}

void LocalSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QUrl network = LocalResources::toNetworkUrl(job->requestUrl());
    const LocalResources::Resource resource =
        LocalResources::resolve(network.toString(), LocalResources::pageFolder());
    if (!resource.found) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* buffer = new QBuffer(job);
    buffer->setData(resource.data);
    buffer->open(QIODevice::ReadOnly);
    job->reply(resource.mime, buffer);
}

QByteArray ImageSchemeHandler::encode(const QString& imagePath, QByteArray* mime)
{
    // Later suffix matches win, as the image may be named "x.png.jpg".
    const char* format = "png";
    *mime = QByteArrayLiteral("image/png");
    if (imagePath.contains(QLatin1String(".jpg"))) {
        format = "jpg";
        *mime = QByteArrayLiteral("image/jpg");
    }
    if (imagePath.contains(QLatin1String(".gif"))) {
        format = "gif";
        *mime = QByteArrayLiteral("image/gif");
    }
    QImage image;
    QByteArray bytes;
    if (image.load(imagePath)) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
    }
    return bytes;
}

void ImageSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QString path = LocalResources::imagePath(job->requestUrl().toString(), LocalResources::pageFolder());
    if (path.isEmpty()) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    QByteArray mime;
    auto* buffer = new QBuffer(job);
    buffer->setData(encode(path, &mime));
    buffer->open(QIODevice::ReadOnly);
    job->reply(mime, buffer);
}
