#include "http_request_layout.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUrl>

#include <cstdlib>

namespace HttpRequestLayout {

namespace {

const QByteArray kLineEnd("\r\n");

bool isPlainAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

QByteArray escapeQuotes(const QString& value)
{
    QByteArray bytes = value.toUtf8();
    bytes.replace('"', "\\\"");
    return bytes;
}

bool readUploadFile(const QString& path, QByteArray* bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxUploadFileSize)
        return false;
    *bytes = file.read(kMaxUploadFileSize + 1);
    return bytes->size() <= kMaxUploadFileSize && file.error() == QFileDevice::NoError;
}

} // namespace

QByteArray encodedPairs(const QList<QPair<QString, QString>>& variables)
{
    QByteArray out;
    for (const auto& variable : variables) {
        if (!out.isEmpty())
            out += '&';
        out += QUrl::toPercentEncoding(variable.first) + '=' + QUrl::toPercentEncoding(variable.second);
    }
    return out;
}

QString addressWithVariables(const QString& url, const QList<QPair<QString, QString>>& variables)
{
    if (variables.isEmpty())
        return url;
    const QChar separator = url.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
    return url + separator + QString::fromLatin1(encodedPairs(variables));
}

QByteArray headerAttribute(const QString& name, const QString& value)
{
    const QByteArray key = name.toUtf8();
    QByteArray out = key + "=\"" + escapeQuotes(value) + '"';
    if (!isPlainAscii(value))
        out += "; " + key + "*=utf-8''" + QUrl::toPercentEncoding(value);
    return out;
}

QByteArray newBoundary()
{
    const int random = int(QRandomGenerator::global()->bounded(RAND_MAX));
    return "__-----------------------" + QByteArray::number(QDateTime::currentSecsSinceEpoch())
        + QByteArray::number(random);
}

QByteArray multipartBody(const HttpRequestSpec& request, const QByteArray& boundary)
{
    QByteArray body;
    for (const auto& variable : request.variables()) {
        body += "--" + boundary + kLineEnd;
        body += "Content-Disposition: form-data; " + headerAttribute(QStringLiteral("name"), variable.first)
            + kLineEnd;
        body += "Content-Type: text/plain" + kLineEnd + kLineEnd;
        body += variable.second.toUtf8() + kLineEnd;
    }
    for (const HttpRequestSpec::File& file : request.files()) {
        QByteArray content;
        if (!readUploadFile(file.localPath, &content))
            continue;
        const QString variable = file.variableName.isEmpty() ? QStringLiteral("file") : file.variableName;
        const QString name = file.requestName.isEmpty() ? QFileInfo(file.localPath).fileName() : file.requestName;
        body += "--" + boundary + kLineEnd;
        body += "Content-Disposition: form-data; " + headerAttribute(QStringLiteral("name"), variable) + "; "
            + headerAttribute(QStringLiteral("filename"), name) + kLineEnd;
        if (!file.mimeType.isEmpty())
            body += "Content-Type: " + file.mimeType.toUtf8() + kLineEnd;
        body += "Content-Transfer-Encoding: binary" + kLineEnd + kLineEnd;
        body += content + kLineEnd;
    }
    body += "--" + boundary + "--";
    return body;
}

} // namespace HttpRequestLayout
