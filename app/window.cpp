#include "window.h"

#include "app_layout.h"
#include "crash_reports.h"

#include "client_handler.h"
#include "client_profile.h"
#include "device_data_handler.h"
#include "dialog_update_prompt.h"
#include "focus_source_choice.h"
#include "input_automation.h"
#include "local_resources.h"
#include "logging.h"
#include "music_runtime.h"
#include "pointer_settings.h"
#include "popup_table.h"
#include "quit_request.h"
#include "screen_fit.h"
#include "system_tray.h"
#include "tray_mode.h"
#include "update_service.h"
#include "unavailable_page.h"
#include "view_key_capture_target.h"
#include "pop_widget.h"
#include "web_view.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QProcessEnvironment>
#include <QScreen>
#include <QTimer>
#include <QUrl>

Window::Window(const WindowSetup& setup, QWidget* parent)
    : PsMainWindow(parent)
    , m_profile(setup.profile)
    , m_applicationFolder(setup.applicationFolder)
    , m_selfUpdate(setup.selfUpdate)
    , m_language(setup.language)
    , m_pageCopy(setup.profile, setup.applicationFolder, setup.privateFolder, setup.dataFolder)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("MainWindow"));

    // A missing or malformed ClientSize gives the smallest window rather
    // than a window of no size, and none is larger than the screens.
    const QSize profileSize = clientSizeOf(m_profile);
    const QSize size = ScreenFit::size(profileSize.width(), profileSize.height(), ScreenFit::availableArea().size())
                           .value_or(profileSize);
    setWindowTitle(QStringLiteral("RX318 Pro"));
    if (m_profile.contains(QStringLiteral("ClientSize")))
        setContentMaximumSize(size);

    // The local page copy, unpacked from the page package at every start
    // into the user's private folder (the application folder when
    // debugging).
    m_pageCopy.unpack();

    // The page session: the device write worker on its own thread, the
    // desktop's pointer settings chosen from the environment, the real
    // mice and uinput for the input automation, the browser's views as
    // the receivers of its events, and this window for the window
    // operations. Starting the updater from the update dialog writes the
    // pending files and quits.
    m_updatePrompt = std::make_unique<DialogUpdatePrompt>(this, m_applicationFolder, [this]() {
        writeOutFileCache();
        quitApplication();
    });
    ClientHandler* handler = ClientHandler::instance();
    PageSessionSetup sessionSetup;
    sessionSetup.applicationFolder = m_applicationFolder;
    Installation& installation = sessionSetup.installation;
    installation.dataFolder = setup.dataFolder;
    installation.demoDevices = setup.demoDevices;
    installation.installed = !setup.dataFolder.isEmpty();
    installation.selfUpdate = setup.selfUpdate;
    installation.autostartEntry = setup.autostartEntry;
    installation.autostartProgram = QCoreApplication::applicationFilePath();
    installation.appId = QGuiApplication::desktopFileName();
    installation.crashFolder = CrashReports::folderFor(appLayout());
    sessionSetup.worker = DeviceSession::Worker::OwnThread;
    sessionSetup.settings = &m_settings;
    sessionSetup.events = handler;
    sessionSetup.window = this;
    sessionSetup.automation = InputAutomationSetup::forWindow(std::make_unique<ViewKeyCaptureTarget>());
    // The presets follow the window in front where the desktop tells it.
    sessionSetup.focusSource = focusSourceFor(QProcessEnvironment::systemEnvironment());
    sessionSetup.followFocus = true;
    sessionSetup.musicView = m_profile.value(QStringLiteral("MusicView"));
    sessionSetup.openUrl = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
    m_session = std::make_unique<PageSession>(std::move(sessionSetup));
    // An installation (or a distribution build) is updated by its package
    // manager: the start-up check then offers nothing to install.
    if (setup.selfUpdate)
        m_session->updates().setPrompt(m_updatePrompt.get());
    m_session->start();
    // What the desktop forgets at a new login (the X11 acceleration) comes
    // back as the user last set it here.
    m_session->pointerSettings().reapplyForgotten();
    setWindowOpacity(1.0);
    setMouseTracking(true);

    // The start page.
    const QString startPage = m_pageCopy.startPage();
    handler->setCurrentViewName(startPage);
    handler->setStartupUrl(startPage);
    handler->setDebugMenu(m_pageCopy.debug());
    handler->setDownloadFolder(setup.downloadFolder.isEmpty()
                                   ? QDir(m_applicationFolder).filePath(QStringLiteral("update"))
                                   : setup.downloadFolder);
    handler->setMinimiseHook([this]() { writeOutFileCache(); });
    LocalResources::setPageFolder(m_pageCopy.templateFolder());

    // Without a copy that holds the start page there is nothing to show:
    // the view says so rather than asking the network for the pages.
    QUrl firstPage(startPage);
    if (!m_pageCopy.holdsStartPage()) {
        const QString why = m_pageCopy.why().isEmpty()
            ? QStringLiteral("The copy of the pages holds no %1.").arg(startPage)
            : m_pageCopy.why();
        LOG_ERROR(QStringLiteral("Application Error: the start page cannot be shown: %1").arg(why));
        firstPage = UnavailablePage::address(why);
    }
    m_mainView = new WebView(*handler, firstPage, startPage, this);
    // The window is titled as the page shown (a device's page names the
    // device); the desktop's task list shows it.
    connect(m_mainView, &WebView::titleChanged, this, [this](const QString& title) {
        const QString shown = title.trimmed();
        if (!shown.isEmpty() && !shown.startsWith(QLatin1String("data:")) && !shown.contains(QLatin1String("://")))
            setWindowTitle(shown.left(200));
    });
    m_mainView->resize(size);
    setContentMinimumSize(size);
    resizeContent(size);
    m_popups = std::make_unique<PopupTable>(*handler);
    m_popups->setAnchor(this);

    // Page requests of the main view and the pop-ups go to the page
    // session. Device writes go to the worker thread; its answers come
    // back in order to the oldest waiting request.
    connect(m_mainView, &WebView::jsMessage, this, &Window::onJsMessage);
    connect(m_popups.get(), &PopupTable::jsMessage, this, &Window::onJsMessage);
    device_data_handler* writer = &m_session->devices().writer();
    connect(this, &Window::SigWriteDevice, writer, &device_data_handler::slot_writeDevice);
    connect(writer, &device_data_handler::SigcallbackReasult, this, &Window::SlocallbackReasult);

    // The periodic W1 pass counts 20 ms ticks; rather than waking 50 times
    // a second to count them, the timer sleeps until the tick of the next
    // pass and counts the ticks it slept through.
    armTicks();
}

// The members go in reverse order: the pop-ups, then the page session
// (the update work, the input automation, the devices with their worker
// thread), then the update dialog.
Window::~Window()
{
    // Nothing stays grabbed or held down once the window goes, while its
    // views are still there to hear the capture end.
    m_session->automation().shutdown();
    if (m_timerId)
        killTimer(m_timerId);
    ClientHandler::instance()->setMinimiseHook(nullptr);
}

void Window::onJsMessage(const QString& request, QueryCallbackPtr callback)
{
    m_session->onJsMessage(request, callback);
}

void Window::dofunc(const QString& funcname, const QVariantMap& args, QueryCallbackPtr callback)
{
    m_session->dofunc(funcname, args, callback);
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
    // The presets, to choose one by hand; the list follows the files and
    // the check mark the preset in effect.
    PresetSwitcher* presets = &m_session->presets();
    const auto listPresets = [this, presets] {
        QStringList names;
        for (const Preset& preset : m_session->presetStore().set().presets)
            names << preset.name;
        m_tray->setPresets(names, presets->activePreset());
    };
    listPresets();
    connect(presets, &PresetSwitcher::stateChanged, m_tray, listPresets);
    connect(m_tray, &SystemTray::presetChosen, presets, &PresetSwitcher::choose);
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
    return m_session->devices().fileCache().writeOut();
}

void Window::hideToTray()
{
    hide();
    writeOutFileCache();
}

bool Window::hasTray() const
{
    return m_tray && m_tray->isVisible() && m_trayAvailable && m_trayAvailable();
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

void Window::maximizeWindow(QWidget* window)
{
    if (!window || window == this) {
        // Asked again while maximised, the normal geometry stays the one
        // to go back to.
        if (!isMaximized())
            m_rememberedGeometry = geometry();
        maximizeToWorkArea();
        return;
    }
    m_rememberedGeometry = window->geometry();
    if (QScreen* screen = window->screen())
        window->setGeometry(screen->availableGeometry());
}

void Window::restoreWindow(QWidget* window)
{
    if (!window || window == this) {
        restoreFromMaximized();
        if (m_rememberedGeometry.isValid())
            setGeometry(m_rememberedGeometry);
        return;
    }
    if (m_rememberedGeometry.isValid())
        window->setGeometry(m_rememberedGeometry);
}

void Window::periodicTick()
{
    m_session->devices().periodicTick();
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
    m_session->devices().answerOldestWrite(success);
}

void Window::GetDeviceList()
{
    m_session->devices().refreshDeviceMap();
}

void Window::onDevicesChanged(int kind)
{
    m_session->devicesChanged(kind);
}

bool Window::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && isMinimized())
        showNormal();
    return PsMainWindow::event(event);
}

void Window::closeEvent(QCloseEvent* event)
{
    // The desktop's own close (Alt+F4): to the tray where there is one;
    // without a tray a hidden window could not be found again, so the
    // program quits.
    event->ignore();
    if (hasTray()) {
        hide();
        return;
    }
    closeApplication();
}

void Window::resizeEvent(QResizeEvent* event)
{
    PsMainWindow::resizeEvent(event);
    if (m_mainView)
        m_mainView->setGeometry(contentsRect());
}

void Window::armTicks()
{
    m_pendingTicks = qMax(1, m_session->devices().ticksToNextPass());
    m_timerId = startTimer(m_pendingTicks * kTickMs, Qt::PreciseTimer);
}

void Window::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timerId) {
        PsMainWindow::timerEvent(event);
        return;
    }
    killTimer(m_timerId);
    m_timerId = 0;
    for (int i = 0; i < m_pendingTicks; ++i)
        periodicTick();
    armTicks();
}

// The widget of the browser host's host window: the window the request
// came from.
QWidget* Window::requestWindow() const
{
    QWidget* host = clientHandler()->hostWindow();
    return host ? host->window() : const_cast<Window*>(this);
}

void Window::maximizeWindow()
{
    maximizeWindow(requestWindow());
}

void Window::restoreWindow()
{
    restoreWindow(requestWindow());
}

void Window::loginMain(const QString& url, int width, int height)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize limit = ScreenFit::availableArea().size() - QSize(2, 2) * shadowMargin();
    const std::optional<QSize> size = ScreenFit::size(width, height, limit);
    if (!size || !screen) {
        LOG_WARNING(QStringLiteral("Application Error: LoginMain refused %1 x %2").arg(width).arg(height));
        return;
    }
    hide();
    if (m_mainView) {
        m_mainView->resize(*size);
        m_mainView->load(QUrl(url));
    }
    // The new page is the one events are addressed to, and the one a
    // crashed renderer comes back to.
    ClientHandler* handler = clientHandler();
    handler->setCurrentViewName(url);
    handler->setStartupUrl(url);
    if (m_mainView)
        handler->renameNamed(m_mainView, url);
    setContentMinimumSize(*size);
    // Centred on the primary screen, the shadow around the page.
    const QRect desktop = screen->geometry();
    const int margin = shadowMargin();
    move(desktop.left() + (desktop.width() - size->width()) / 2 - margin,
         desktop.top() + (desktop.height() - size->height()) / 2 - margin);
    resizeContent(*size);
    QTimer::singleShot(1000, this, [this] { show(); });
}

void Window::loadUrl(const QString& address)
{
    if (m_mainView)
        m_mainView->load(QUrl(address));
}

void Window::goBack()
{
    if (m_mainView)
        m_mainView->back();
}

void Window::goForward()
{
    if (m_mainView)
        m_mainView->forward();
}

void Window::openView(const QString& url, int width, int height)
{
    if (m_popups->open(url, width, height))
        clientHandler()->setCurrentViewName(PopWidget::normalisedViewName(url));
}

void Window::closeView()
{
    m_popups->closeCurrent();
    // Page requests go to the main view again, the window shortcuts act on
    // the main window, and events for the current view (firmware progress)
    // reach the main page instead of the pop-up that is gone.
    ClientHandler* handler = clientHandler();
    handler->setCurrentListener(m_mainView);
    handler->setHostWindow(this);
    const QString mainName = handler->nameOf(m_mainView);
    if (!mainName.isEmpty())
        handler->setCurrentViewName(mainName);
}

void Window::showTrayMessage(const QString& title, const QString& text)
{
    if (m_tray)
        m_tray->showInfo(title, text);
}

std::optional<QString> Window::saveFileName(const QString& title, const QString& folder, const QString& filter)
{
    const QString path = QFileDialog::getSaveFileName(this, title, folder, filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> Window::openFileName(const QString& title, const QString& folder, const QString& filter)
{
    const QString path = QFileDialog::getOpenFileName(this, title, folder, filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}
