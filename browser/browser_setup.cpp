#include "browser_setup.h"

#include "local_resources.h"
#include "local_scheme_handler.h"
#include "logging.h"
#include "private_folder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlScheme>

#include <unistd.h>

static void initBrowserResources()
{
    Q_INIT_RESOURCE(browser);
}

namespace BrowserSetup {

Switches parseSwitches(const QStringList& arguments)
{
    Switches switches;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg.startsWith(QLatin1String("--url=")))
            switches.url = arg.mid(6);
        else if (arg == QLatin1String("--url") && i + 1 < arguments.size())
            switches.url = arguments.at(++i);
        else if (arg == QLatin1String("--mouse-cursor-change-disabled"))
            switches.mouseCursorChangeDisabled = true;
    }
    return switches;
}

void registerSchemes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // Chromium keeps Qt 5.15 schemes from setting response headers; the
    // CORS and security flags stand in for "Access-Control-Allow-Origin".
    QWebEngineUrlScheme local(LocalResources::localScheme().toLatin1());
    // The page host may carry a port; the local address keeps it so that the
    // page root keeps its length.
    local.setSyntax(QWebEngineUrlScheme::Syntax::HostAndPort);
    local.setDefaultPort(80);
    local.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled
                   | QWebEngineUrlScheme::ContentSecurityPolicyIgnored);
    QWebEngineUrlScheme::registerScheme(local);

    QWebEngineUrlScheme image(LocalResources::imageScheme().toLatin1());
    image.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    image.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled
                   | QWebEngineUrlScheme::ContentSecurityPolicyIgnored);
    QWebEngineUrlScheme::registerScheme(image);
}

void prepareEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX") && geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        // No display, no OpenGL: the software scene graph and no GPU.
        if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
            qputenv("QT_QUICK_BACKEND", "software");
        if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    }
}

namespace {
QString g_chromiumVersion;
}

QString chromiumVersion()
{
    return g_chromiumVersion;
}

QString userAgent()
{
    return QStringLiteral("VelkorCloudEngine-Orvanta-Cn");
}

QString pageInterfaceSource()
{
    initBrowserResources();
    QString source;
    QFile channel(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (channel.open(QIODevice::ReadOnly))
        source = QString::fromUtf8(channel.readAll());
    QFile page(QStringLiteral(":/browser/page_interface.js"));
    if (page.open(QIODevice::ReadOnly))
        source += QLatin1Char('\n') + QString::fromUtf8(page.readAll());
    return source;
}

QWebEngineProfile* createProfile(QObject* owner, const QString& privateFolder, const QString& cacheFolder)
{
    // The browser's storage holds what pages of the program keep; it lives
    // where no other user can place or read anything. Without such a
    // folder the profile keeps nothing on disk.
    const QString folder = privateFolder.isEmpty() ? QString() : privateFolder + QStringLiteral("/browser");
    QWebEngineProfile* profile = nullptr;
    if (!folder.isEmpty() && ensurePrivateFolder(folder)) {
        profile = new QWebEngineProfile(QStringLiteral("Orvanta"), owner);
        // The HTTP cache goes to the user's cache folder where there is one
        // (an installed program), else beside the storage.
        const QString cache = cacheFolder.isEmpty() ? QString() : cacheFolder + QStringLiteral("/browser");
        profile->setCachePath(!cache.isEmpty() && ensurePrivateFolder(cache) ? cache : folder + QStringLiteral("/cache"));
        profile->setPersistentStoragePath(folder);
        profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    } else {
        LOG_ERROR(QStringLiteral("Application Error: no private folder for the browser's storage; it keeps"
                                 " nothing on disk"));
        profile = new QWebEngineProfile(owner);
    }
    configureProfile(profile);
    return profile;
}

void configureProfile(QWebEngineProfile* profile)
{
    if (g_chromiumVersion.isEmpty())
        g_chromiumVersion = QRegularExpression(QStringLiteral("Chrome/([0-9.]+)")).match(profile->httpUserAgent()).captured(1);
    profile->setHttpUserAgent(userAgent());

    QWebEngineScript script;
    script.setName(QStringLiteral("orvanta-page-interface"));
    script.setSourceCode(pageInterfaceSource());
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    profile->scripts()->insert(script);

    profile->setUrlRequestInterceptor(new LocalRequestInterceptor(profile));
    profile->installUrlSchemeHandler(LocalResources::localScheme().toLatin1(), new LocalSchemeHandler(profile));
    profile->installUrlSchemeHandler(LocalResources::imageScheme().toLatin1(), new ImageSchemeHandler(profile));
}

} // namespace BrowserSetup
