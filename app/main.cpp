// Program entry: starts the embedded browser, runs the application until a
// quit request, shuts the browser down.
#include "app_layout.h"
#include "application.h"
#include "browser_setup.h"
#include "client_handler.h"
#include "crash_handler.h"
#include "crash_test.h"
#include "logging.h"
#include "private_folder.h"
#include "quit_request.h"
#include "updater_launch.h"
#include "program_folder_plugins.h"

#include <QDir>
#include <QTimer>
#include <QtWebEngineCore/qtwebenginecoreversion.h>

#include <cstdio>
#include <QWebEngineProfile>

int main(int argc, char* argv[])
{
    BrowserSetup::prepareEnvironment();
    BrowserSetup::registerSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    int result = 0;
    QString folder;
    {
        Application app(argc, argv);
        // Wayland matches the window with the desktop entry by this name.
        QGuiApplication::setDesktopFileName(QStringLiteral(ORVANTA_APP_ID));
        keepPluginsOutOfProgramFolder();
        QString layoutProblem;
        if (!prepareAppLayout(&layoutProblem))
            std::fprintf(stderr, "orvanta: %s\n", qPrintable(layoutProblem));
        Logger::applyCommandLine(app.arguments());
        // Before the browser runtime starts: a crash from here on leaves a
        // report and starts the reporter.
        QString crashProblem;
        if (!CrashHandler::install(CrashHandler::setupFor(appLayout(), QStringLiteral("orvanta"),
                                                          QStringLiteral(ORVANTA_VERSION), true,
                                                          QCoreApplication::applicationFilePath()),
                                   &crashProblem))
            std::fprintf(stderr, "orvanta: crash reports: %s\n", qPrintable(crashProblem));
        const QString crashTest = CrashTest::kindFromArguments(app.arguments());
        // An installed program is updated by its package manager: the
        // updater never replaces installed files.
        if (!appLayout().installed)
            folder = QCoreApplication::applicationDirPath();

        const BrowserSetup::Switches switches = BrowserSetup::parseSwitches(app.arguments());
        ClientHandler* handler = ClientHandler::instance();
        handler->setProfile(BrowserSetup::createProfile(
            &app, privateRuntimeFolder(), appLayout().installed ? appLayout().cacheFolder : QString()));
        CrashHandler::setChromiumVersion(QStringLiteral("%1 (Qt WebEngine %2)")
                                             .arg(BrowserSetup::chromiumVersion(),
                                                  QStringLiteral(QTWEBENGINECORE_VERSION_STR)));
        if (!switches.url.isEmpty())
            handler->setStartupUrl(switches.url);
        handler->setMouseCursorChangeDisabled(switches.mouseCursorChangeDisabled);

        if (!isQuitting()) {
            app.start();
            // Testing the crash handler: crash once the window runs.
            if (CrashTest::isKnownKind(crashTest)) {
                QTimer::singleShot(0, [crashTest]() {
                    LOG_INFO(QStringLiteral("Application Info: crash test '%1' requested").arg(crashTest));
                    CrashTest::crash(crashTest);
                });
            }
            if (!isQuitting())
                result = app.exec();
        }
        handler->setProfile(nullptr);
    }
    // A silent update scheduled by the update check runs now that the
    // program's windows and browser are gone. The log keeps its file
    // without the application object.
    if (!folder.isEmpty()) {
        Logger::setFilePath(QDir(folder).filePath(QStringLiteral("app.log")));
        UpdaterLaunch::startScheduled(folder);
    }
    return result;
}
