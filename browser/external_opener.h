#pragma once

#include <QUrl>

// Hands addresses to the system's default browser. An interface so tests
// can see what a page tried to open without starting a browser.
class ExternalOpener
{
public:
    virtual ~ExternalOpener() = default;
    virtual void open(const QUrl& url) = 0;
};

// QDesktopServices::openUrl.
class DesktopOpener : public ExternalOpener
{
public:
    void open(const QUrl& url) override;
};
