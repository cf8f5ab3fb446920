#include "application.h"

#include "devices_handler.h"

#include "app_layout.h"
#include "session_autostart.h"

#include "client_handler.h"
#include "device_functions.h"
#include "device_notifier.h"
#include "device_report_sender.h"
#include "input_automation.h"
#include "input_inventory.h"
#include "instance_guard.h"
#include "local_settings.h"
#include "logging.h"
#include "network_identity.h"
#include "private_folder.h"
#include "quit_request.h"
#include "udev_input_device_enumerator.h"
#include "update_service.h"
#include "window.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>

PsApplication::PsApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

Application::Application(int& argc, char** argv)
    : PsApplication(argc, argv)
    , m_guard(new InstanceGuard(InstanceGuard::defaultServerName(), this))
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    m_autostart = hasAutostart(arguments);
    if (m_autostart)
        setAutostart(true);
}

Application::~Application()
{
    DeviceReports::setSender(nullptr);
    delete m_notifier;
    m_notifier = nullptr;
    delete m_window;
    m_window = nullptr;
    delete m_devicesHandler;
    m_devicesHandler = nullptr;
    if (registeredApplication() == this)
        registerApplication(nullptr);
}

bool Application::hasAutostart(const QStringList& arguments)
{
    return arguments.contains(QStringLiteral("-autostart"));
}

void Application::start()
{
    // Closing or hiding windows never ends the process, only a quit request
    // does.
    setQuitOnLastWindowClosed(false);

    QFile style(QStringLiteral(":/qss/qssmain"));
    if (style.open(QIODevice::ReadOnly))
        setStyleSheet(QString::fromUtf8(style.readAll()));

    if (registeredApplication()) {
        LOG_ERROR(QStringLiteral("Application Error:another Application was creadted,terminating.."));
        QCoreApplication::exit(0);
        return;
    }
    registerApplication(this);

    // The session manager ending the desktop session quits the program.
    connect(this, &QGuiApplication::commitDataRequest, this, []() { quitApplication(); });

    connect(m_guard, &InstanceGuard::firstInstance, this, &Application::createMainWindow);
    connect(m_guard, &InstanceGuard::commandReceived, this, &Application::onCommand);
    connect(m_guard, &InstanceGuard::quitRequested, this, []() { quitApplication(); });
    m_guard->start();
}

bool Application::loadClientProfile()
{
    return m_profile.loadFromResource(SystemNetworkIdentity());
}

void Application::setPageFolder(const QString& relativeFolder)
{
    m_pageFolder = m_templateFolder.isEmpty() ? QString() : m_templateFolder + QLatin1Char('/') + relativeFolder;
}

QString Application::keyValue(const QString& key) const
{
    return m_keyValues.hidCode(key);
}

void Application::createMainWindow()
{
    // 1. The client profile.
    if (!loadClientProfile())
        LOG_ERROR(QStringLiteral("Application Error: client profile has no row for this build"));

    // 2. The main window and its native window.
    WindowSetup setup;
    setup.profile = m_profile.map();
    const AppLayout& layout = appLayout();
#ifdef ORVANTA_DISTRO_BUILD
    setup.selfUpdate = false;
#endif
    setup.applicationFolder = layout.userFolder + QLatin1Char('/');
    setup.autostartEntry = SessionAutostart::entryPath(xdgConfigHome(QProcessEnvironment::systemEnvironment()),
                                                       QGuiApplication::desktopFileName());
    if (layout.installed) {
        setup.dataFolder = layout.dataFolder + QLatin1Char('/');
        setup.downloadFolder = QDir(layout.cacheFolder).filePath(QStringLiteral("downloads"));
        // An installed program reaches real devices; on the emulator
        // (ORVANTA_TRANSPORT=demo) it says its devices are a demo.
        setup.demoDevices = devices_handler::usesEmulator();
        setup.selfUpdate = false;
    }
    setup.privateFolder = privateRuntimeFolder();
    setup.language = LocalSettings(setup.applicationFolder).read(QStringLiteral("Language"));
    m_window = new Window(setup);
    m_window->winId();
    setTemplateFolder(m_window->pageCopy().templateFolder());
    setPageFolder(PageCopy::relativePageFolder(m_window->pageCopy().startPage()));

    // 3. Device access: the devices and their unique ids, then the
    // keyboards and pointing devices of the system.
    auto* functions = new DeviceFunctions;
    m_devicesHandler = functions;
    m_devices = functions->listDevices();
    m_deviceIds.clear();
    for (const QJsonObject& record : qAsConst(m_devices)) {
        const QString id = DeviceDiscovery::pathParts(record.value(QStringLiteral("DevicePath")).toString()).vendorProduct;
        if (!id.isEmpty() && !m_deviceIds.contains(id))
            m_deviceIds << id;
    }
    takeInputInventory(UdevInputDeviceEnumerator());

    // 4. Device notifications: arrivals and removals reach the page as
    // "devicesChanged" (the window's page session raises input reports as
    // "onDeviceData" since it started).
    m_notifier = DeviceNotifier::createForSystem();
    connect(m_notifier, &DeviceNotifier::signal_devicesChanged, m_window, &Window::onDevicesChanged);

    // 5. The host window of the browsers.
    ClientHandler::instance()->setHostWindow(m_window);

    // 6. Frameless hooks, tray icon, first show.
    m_window->setupFrameless();
    m_window->setupTray();
    m_window->firstShow();

    // 7. Centre on the desktop with the real size.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->geometry();
        m_window->move((desktop.width() - m_window->width()) / 2, (desktop.height() - m_window->height()) / 2);
    }

    // 8. A new updater left by the last update takes the old one's place,
    // then the start-up update check: one query per firmware version of the
    // devices found. It runs on timers; the window is not held up.
    // An installation (or a distribution build) is updated by its package
    // manager: it asks nothing at start.
    UpdateService* updates = m_window->updateService();
    if (updates && !m_window->selfUpdate()) {
        LOG_INFO(QStringLiteral("Update Info: updates come from the package manager; no start-up check"));
    } else if (updates) {
        updates->applyPendingUpdaterReplacement();
        if (updates->startupCheckWanted())
            updates->startStartupCheck(m_profile.value(QStringLiteral("upgrade")),
                                       m_profile.value(QStringLiteral("Version")),
                                       UpdateService::firmwareVersions(m_devices));
        else
            LOG_INFO(QStringLiteral("Update Info: the start-up update check is turned off in Settings; nothing is"
                                    " asked"));
    }

    // 9. The key value table.
    if (!m_keyValues.load())
        LOG_ERROR(QStringLiteral("Application Error: cannot read the key value table %1").arg(KeyValueTable::defaultPath()));

    // 10. The input filter of the software remapping.
    m_window->inputAutomation().startFilter();

    LOG_INFO(QStringLiteral("mainwindow show!"));
}

void Application::onCommand(const QString& name)
{
    if (name == QLatin1String("show") && m_window)
        m_window->showFromInstance();
}

void Application::on_closeApp()
{
    if (m_window) {
        m_window->hide();
        m_window->writeOutFileCache();
    }
    quitApplication();
}
