#pragma once

#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>

// Sends every request below a page root to the local scheme, whether or
// not its file exists: the network is never asked for an address there.
// Runs on the browser's IO thread for every request of every page.
class LocalRequestInterceptor : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

// Answers the local scheme from the local page folder. A request whose file
// does not exist fails as not found; it never goes to the network.
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
