#include "window.h"

#include "client_handler.h"
#include "client_profile.h"
#include "command_dispatcher.h"
#include "device_commands.h"
#include "device_data_handler.h"
#include "dialog_update_prompt.h"
#include "input_automation.h"
#include "local_resources.h"
#include "logging.h"
#include "music_runtime.h"
#include "private_folder.h"
#include "pointer_settings.h"
#include "pop_widget.h"
#include "quit_request.h"
#include "staged_unpack.h"
#include "system_tray.h"
#include "tray_mode.h"
#include "update_service.h"
#include "view_key_capture_target.h"
#include "web_view.h"
#include "window_command_host.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>

namespace {
QString withoutTrailingSlash(QString folder)
{
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}
} // namespace

Window::Window(const WindowSetup& setup, QWidget* parent)
    : PsMainWindow(parent)
    , m_profile(setup.profile)
    , m_applicationFolder(setup.applicationFolder)
    , m_language(setup.language)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("MainWindow"));

    // A missing or malformed ClientSize gives the smallest window rather
    // than a window of no size.
    const QSize size = clientSizeOf(m_profile);
    setWindowTitle(QStringLiteral("RX318 Pro"));
    if (m_profile.contains(QStringLiteral("ClientSize")))
        setContentMaximumSize(size);

    // The local page copy: under the application folder in debug builds,
    // else in the user's private folder, where no other user of the machine
    // can place pages of their own (pages served from it run with every
    // command). The page package "skn.dat" of the application folder is
    // unpacked at every start into a fresh staging folder that then replaces
    // the old copy whole, so nothing but the package's files is served; the
    // package is kept.
    const bool debug = m_profile.value(QStringLiteral("Debug")) == QLatin1String("true");
    const QString copyParent = debug ? withoutTrailingSlash(m_applicationFolder) : setup.privateFolder;
    if (debug || isPrivateFolder(copyParent))
        m_templateFolder = copyParent + QStringLiteral("/template");
    else
        LOG_ERROR(QStringLiteral("Application Error: no private folder for the local page copy; "
                                 "pages are not served from a local copy"));
    const QString package = m_applicationFolder + QStringLiteral("skn.dat");
    if (!m_templateFolder.isEmpty() && QFile::exists(package)) {
        QString error;
        if (!unpackReplacingFolder(package, m_templateFolder, &error))
            LOG_ERROR(QStringLiteral("Application Error: cannot unpack %1: %2").arg(package, error));
    }

    // The device write worker and its thread.
    m_dataHandler = new device_data_handler;
    m_dataHandler->registerDefaultDrivers();
    m_dataHandler->setProfileSource(&m_fileCache);
    m_dataHandler->moveToThread(&m_deviceThread);
    m_deviceThread.start();

    setWindowOpacity(1.0);
    m_deviceMap = m_devices.listDevices();
    setMouseTracking(true);

    // The desktop's pointer settings, chosen once for the session.
    m_pointerSettings = PointerSettings::fromEnvironment();

    // The start page.
    m_startPage = m_profile.value(QStringLiteral("LoadPath"));
    ClientHandler* handler = ClientHandler::instance();
    handler->setCurrentViewName(m_startPage);
    handler->setStartupUrl(m_startPage);
    handler->setDebugMenu(debug);
    handler->setDownloadFolder(withoutTrailingSlash(m_applicationFolder) + QStringLiteral("/update"));
    handler->setMinimiseHook([this]() { writeOutFileCache(); });

    if (!m_templateFolder.isEmpty())
        m_pageFolder = m_templateFolder + QLatin1Char('/') + relativePageFolder(m_startPage);
    LocalResources::setPageFolder(m_templateFolder);

    m_mainView = new WebView(QUrl(m_startPage), m_startPage, this);
    m_mainView->resize(size);
    setContentMinimumSize(size);

    // Page requests go to the command dispatcher. Device writes go to the
    // worker thread; its answers come back in order to the oldest waiting
    // request.
    m_commandHost = std::make_unique<WindowCommandHost>(*this);
    m_dispatcher = std::make_unique<CommandDispatcher>(*m_commandHost);
    connect(m_mainView, &WebView::jsMessage, this, &Window::onJsMessage);
    connect(this, &Window::SigWriteDevice, m_dataHandler, &device_data_handler::slot_writeDevice);
    connect(m_dataHandler, &device_data_handler::SigcallbackReasult, this, &Window::SlocallbackReasult);

    // Downloads, firmware updates and the update check; what they report
    // reaches the pages through the command host. Starting the updater
    // from the update dialog writes the pending files and quits.
    m_updates = std::make_unique<UpdateService>(m_applicationFolder);
    m_updatePrompt = std::make_unique<DialogUpdatePrompt>(this, m_applicationFolder, [this]() {
        writeOutFileCache();
        quitApplication();
    });
    m_updates->setPrompt(m_updatePrompt.get());
    connect(m_updates.get(), &UpdateService::pageEvent, this,
            [this](const QString& name, const QVariantList& args) { m_commandHost->sendPageEvent(name, args, QString()); });

    // The music analysis: its data goes to the lighting view the client
    // profile names (MusicView).
    WindowCommandHost* host = m_commandHost.get();
    m_music = std::make_unique<MusicRuntime>(
        [host](const QString& name, const QVariantList& args, const QString& view) {
            host->sendPageEvent(name, args, view);
        });
    m_music->setLightingView(m_profile.value(QStringLiteral("MusicView")));

    // The virtual input device opens here; the input filter starts with the
    // application (startFilter).
    m_automation = std::make_unique<InputAutomation>(
        InputAutomationSetup::forWindow(std::make_unique<ViewKeyCaptureTarget>()));
    m_automation->connectVMulti();

    m_timerId = startTimer(20, Qt::CoarseTimer);
}

Window::~Window()
{
    // Nothing stays grabbed or held down once the window goes.
    m_automation->shutdown();
    if (m_timerId)
        killTimer(m_timerId);
    m_updates.reset();
    m_deviceThread.quit();
    m_deviceThread.wait();
    delete m_dataHandler;
    qDeleteAll(m_popups);
    m_popups.clear();
    ClientHandler::instance()->setMinimiseHook(nullptr);
}

void Window::onJsMessage(const QString& request, QueryCallbackPtr callback)
{
    m_dispatcher->onJsMessage(request, callback);
}

void Window::dofunc(const QString& funcname, const QVariantMap& args, QueryCallbackPtr callback)
{
    m_dispatcher->dofunc(funcname, args, callback);
}

QString Window::relativePageFolder(const QString& loadPath)
{
    static const QRegularExpression page(QStringLiteral("/[^/]*.html"));
    QString folder = loadPath.mid(LocalResources::kPageRootLength);
    folder.remove(page);
    return folder;
}

void Window::registerPopup(const QString& url, PopWidget* popup)
{
    m_popups.insert(url, popup);
    connect(popup, &PopWidget::activated, this, &Window::setCurrentPopup);
}

ClientHandler* Window::clientHandler() const
{
    return ClientHandler::instance();
}

void Window::setupFrameless()
{
    PsMainWindow::setupFrameless();
    setContentMinimumSize(QSize(500, 400));
}

void Window::setupTray()
{
    m_tray = new SystemTray(this, m_language);
    m_tray->setVisible(true);
    connect(m_tray, &QSystemTrayIcon::activated, this, &Window::onSystemtrayActive);
    connect(m_tray, &SystemTray::showWidget, this, &Window::onshowWidget);
    connect(m_tray, &SystemTray::closeApp, this, &Window::oncloseApp);
}

void Window::firstShow()
{
    if (isAutostart()) {
        setWindowState(windowState() | Qt::WindowMinimized);
        hide();
        return;
    }
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.width() - 500) / 2, (area.height() - 400) / 2);
    }
    show();
}

bool Window::writeOutFileCache()
{
    return m_fileCache.writeOut();
}

void Window::hideToTray()
{
    hide();
    writeOutFileCache();
}

void Window::closeApplication()
{
    hideToTray();
    quitApplication();
}

void Window::showFromInstance()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    activateWindow();
    show();
    raise();
}

void Window::periodicTick()
{
    if (!m_w1Pass.tick())
        return;
    for (const QString& key : W1Pass::w1Keys(m_deviceMap))
        DeviceCommands::restDevice(m_devices, m_deviceMap.value(key).value(QStringLiteral("Version")).toString());
}

void Window::quitApp()
{
    closeApplication();
}

void Window::reload_currentPage()
{
    m_mainView->reload();
}

void Window::onSystemtrayActive(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Unknown:
    case QSystemTrayIcon::DoubleClick:
    case QSystemTrayIcon::Trigger:
        if (trayModeText() == QLatin1String("EnableTray")) {
            setWindowState(Qt::WindowActive);
            show();
        }
        break;
    default:
        break;
    }
}

void Window::onCurrentPropChanged(int propIndex, int proMode)
{
    ClientHandler::instance()->currentPropChanged(propIndex, proMode);
}

void Window::onshowWidget()
{
    show();
}

void Window::oncloseApp()
{
    closeApplication();
}

void Window::SlocallbackReasult(bool success)
{
    if (m_pendingAnswers.isEmpty())
        return;
    const QueryCallbackPtr callback = m_pendingAnswers.dequeue();
    if (!callback)
        return;
    if (success)
        callback->success(QStringLiteral("writeDevices success!"));
    else
        callback->failure(0, QStringLiteral("writeDevices failed!"));
}

void Window::GetDeviceList()
{
    m_deviceMap = m_devices.listDevices();
}

void Window::onDevicesChanged(int kind)
{
    if (kind == 1 || kind == 2)
        ClientHandler::instance()->devicesChanged(kind);
}

bool Window::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && isMinimized())
        showNormal();
    return PsMainWindow::event(event);
}

void Window::closeEvent(QCloseEvent* event)
{
    hide();
    event->ignore();
}

void Window::resizeEvent(QResizeEvent* event)
{
    PsMainWindow::resizeEvent(event);
    if (m_mainView)
        m_mainView->setGeometry(contentsRect());
}

void Window::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timerId)
        periodicTick();
    else
        PsMainWindow::timerEvent(event);
}
