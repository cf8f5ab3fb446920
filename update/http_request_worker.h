#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QString>

#include "http_request_description.h"

class QNetworkAccessManager;

// Runs one HTTP request described by an HttpRequestSpec on its own network
// access manager and reports the outcome with on_execution_finished. The
// reply body is kept in `response`; a body larger than maxResponseSize()
// ends the request with an error instead of filling the memory, and a
// request that stalls for timeoutMs() ends with a time-out error. The
// server is asked for the body as it is ("Accept-Encoding: identity"), and
// a body that comes compressed all the same is refused: the size limit
// counts the bytes received, never what they would inflate to.
class HttpRequestWorker : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kDefaultMaxResponseSize = 1024 * 1024;
    static constexpr int kDefaultTimeoutMs = 10000;

    explicit HttpRequestWorker(QObject* parent = nullptr);

    // Sends the request; on_execution_finished follows, also on failure.
    void execute(HttpRequestSpec* input);

    void setMaxResponseSize(qint64 bytes) { m_maxResponseSize = bytes; }
    qint64 maxResponseSize() const { return m_maxResponseSize; }
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }

    QByteArray response;
    QNetworkReply::NetworkError error_type = QNetworkReply::NoError;
    QString error_str;

signals:
    void on_execution_finished(HttpRequestWorker* worker);

private slots:
    void on_manager_finished(QNetworkReply* reply);

private:
    void collect(QNetworkReply* reply);
    void checkCoding(QNetworkReply* reply);

    QNetworkAccessManager* manager = nullptr;
    QByteArray m_buffer;
    bool m_tooLarge = false;
    bool m_refusedCoding = false;
    qint64 m_maxResponseSize = kDefaultMaxResponseSize;
    int m_timeoutMs = kDefaultTimeoutMs;
};
