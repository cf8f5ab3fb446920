#pragma once

#include <QString>
#include <QStringList>

class QObject;
class QWebEngineProfile;

// Start-up of the embedded browser.
namespace BrowserSetup {

// The browser switches of the command line.
struct Switches {
    QString url;                       // "--url=<address>" (or "--url <address>")
    bool mouseCursorChangeDisabled = false;   // "--mouse-cursor-change-disabled"
};
Switches parseSwitches(const QStringList& arguments);

// Registers the local page scheme and the image scheme; must run before
// the application object is constructed.
void registerSchemes();

// Environment for running without a display or as root: Chromium's sandbox
// refuses to start as root, and there is no GPU under the offscreen
// platform. Only sets what is not set already; call before QApplication.
void prepareEnvironment();

// The profile every view uses: cache and storage in <privateFolder>/browser
// (a folder only this user can reach; an off-the-record profile when there
// is none), the cache in <cacheFolder>/browser instead when cacheFolder is
// given (made private), persistent cookies, and what configureProfile()
// adds. Owned by owner.
QWebEngineProfile* createProfile(QObject* owner, const QString& privateFolder, const QString& cacheFolder = QString());

// Gives a profile the user agent "VelkorCloudEngine-Orvanta-Cn", the page
// interface script, the local page and image schemes and the request
// interceptor. Tests use it on an off-the-record profile.
void configureProfile(QWebEngineProfile* profile);

// The page interface script: qwebchannel.js followed by the script that
// defines cefQuery, cefQueryCancel and setMessageCallback.
QString pageInterfaceSource();

QString userAgent();   // "VelkorCloudEngine-Orvanta-Cn"
// The version of Chromium under Qt WebEngine ("87.0.4280.144"), read from
// the browser's own user agent when the first profile was made; empty
// before.
QString chromiumVersion();

} // namespace BrowserSetup
