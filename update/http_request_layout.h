#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include "http_request_description.h"

// The bytes of an HTTP request body and address, built from a request description.
namespace HttpRequestLayout {

// key=value pairs joined by "&", keys and values percent-encoded (UTF-8;
// letters, digits and "-._~" stay as they are).
QByteArray encodedPairs(const QList<QPair<QString, QString>>& variables);

// The address of the address layout: url, "?" and the pairs ("&" instead of
// "?" when url already has a query; url alone when there are no variables).
QString addressWithVariables(const QString& url, const QList<QPair<QString, QString>>& variables);

// A header attribute: name="value" for plain ASCII (a double quote in the
// value escaped with a back-slash); otherwise
// name="value"; name*=utf-8''<percent-encoded UTF-8 value>.
QByteArray headerAttribute(const QString& name, const QString& value);

// "__-----------------------" + seconds since 1970 + a random number.
QByteArray newBoundary();

// The multipart body: one text part per variable, one binary part per
// readable file, then "--" boundary "--" without a line break. Files larger
// than kMaxUploadFileSize are skipped like unreadable ones.
QByteArray multipartBody(const HttpRequestSpec& request, const QByteArray& boundary);

constexpr qint64 kMaxUploadFileSize = 64 * 1024 * 1024;

} // namespace HttpRequestLayout
