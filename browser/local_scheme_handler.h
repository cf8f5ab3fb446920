#pragma once

#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>

// Sends page-root requests whose local copy exists to the local scheme.
// Runs on the browser's IO thread for every request of every page.
class LocalRequestInterceptor : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

// Answers the local scheme from the local page folder. A request whose file
// does not exist (a relative address inside a local page, or a file removed
// since the redirect) is sent back to the network address.
class LocalSchemeHandler : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override;
};

// The image scheme ("Orvanta", domain "settings"): loads the image named by
// the address below the local page folder and answers it re-encoded in the
// format of its suffix; an image that does not load gives an empty body.
// Addresses without ".png" are refused.
class ImageSchemeHandler : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override;

    // The re-encoded bytes and MIME type for an image path.
    static QByteArray encode(const QString& imagePath, QByteArray* mime);
};
