#include "window_command_host.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include "client_handler.h"
#include "device_data_handler.h"
#include "input_automation.h"
#include "logging.h"
#include "pop_widget.h"
#include "popup_table.h"
#include "screen_fit.h"
#include "system_tray.h"
#include "web_view.h"
#include "window.h"

WindowCommandHost::WindowCommandHost(Window& window) : m_window(window) {}

QString WindowCommandHost::applicationFolder() const
{
    return m_window.applicationFolder();
}

FileCache& WindowCommandHost::fileCache()
{
    return m_window.deviceSession().fileCache();
}

device_data_handler& WindowCommandHost::deviceHandler()
{
    return m_window.deviceSession().writer();
}

DeviceFunctions& WindowCommandHost::deviceFunctions()
{
    return m_window.deviceSession().deviceFunctions();
}

DeviceMap& WindowCommandHost::deviceMap()
{
    return m_window.deviceSession().deviceMap();
}

UpdateService* WindowCommandHost::updateService()
{
    return m_window.updateService();
}

MusicRuntime* WindowCommandHost::music()
{
    return m_window.music();
}

PointerSettings* WindowCommandHost::pointerSettings()
{
    return m_window.pointerSettings();
}

void WindowCommandHost::sendPageEvent(const QString& name, const QVariantList& args, const QString& view)
{
    ClientHandler* handler = m_window.clientHandler();
    if (name == QLatin1String("onBrowserMsg")) {
        handler->onBrowserMsg(view, args.value(0).toString());
        return;
    }
    // Firmware progress goes to the view registered under the current view
    // name.
    if (name == QLatin1String("onUpdateFirmware") && view.isEmpty()) {
        handler->onUpdateFirmware(args.value(0).toString());
        return;
    }
    if (name == QLatin1String("OnRGBMusicData")) {
        handler->OnRGBMusicData(view, args.value(0).toString());
        return;
    }
    // Other events: the named browser when one is given, else the main one.
    // A target that is not open drops the event.
    WebView* target = view.isEmpty() ? handler->mainBrowser() : handler->namedBrowser(view);
    if (target)
        target->sendEvent(name, args);
}

void WindowCommandHost::openUrl(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}

// The widget of the browser host's host window: the window the request
// came from.
QWidget* WindowCommandHost::requestWindow() const
{
    QWidget* host = m_window.clientHandler()->hostWindow();
    return host ? host->window() : &m_window;
}

void WindowCommandHost::maximizeWindow()
{
    m_window.maximizeWindow(requestWindow());
}

void WindowCommandHost::restoreWindow()
{
    m_window.restoreWindow(requestWindow());
}

void WindowCommandHost::loginMain(const QString& url, int width, int height)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize limit = ScreenFit::availableArea().size() - QSize(2, 2) * m_window.shadowMargin();
    const std::optional<QSize> size = ScreenFit::size(width, height, limit);
    if (!size || !screen) {
        LOG_WARNING(QStringLiteral("Application Error: LoginMain refused %1 x %2").arg(width).arg(height));
        return;
    }
    m_window.hide();
    WebView* view = m_window.mainView();
    if (view) {
        view->resize(*size);
        view->load(QUrl(url));
    }
    // The new page is the one events are addressed to, and the one a
    // crashed renderer comes back to.
    ClientHandler* handler = m_window.clientHandler();
    handler->setCurrentViewName(url);
    handler->setStartupUrl(url);
    if (view)
        handler->renameNamed(view, url);
    m_window.setContentMinimumSize(*size);
    // Centred on the primary screen, the shadow around the page.
    const QRect desktop = screen->geometry();
    const int margin = m_window.shadowMargin();
    m_window.move(desktop.left() + (desktop.width() - size->width()) / 2 - margin,
                  desktop.top() + (desktop.height() - size->height()) / 2 - margin);
    m_window.resizeContent(*size);
    QTimer::singleShot(1000, &m_window, [window = &m_window] { window->show(); });
}

void WindowCommandHost::loadUrl(const QString& address)
{
    if (WebView* view = m_window.mainView())
        view->load(QUrl(address));
}

void WindowCommandHost::goBack()
{
    if (WebView* view = m_window.mainView())
        view->back();
}

void WindowCommandHost::goForward()
{
    if (WebView* view = m_window.mainView())
        view->forward();
}

void WindowCommandHost::openView(const QString& url, int width, int height)
{
    // Events for the current view go to the pop-up from now on.
    if (m_window.popups().open(url, width, height))
        m_window.clientHandler()->setCurrentViewName(PopWidget::normalisedViewName(url));
}

void WindowCommandHost::closeView()
{
    m_window.popups().closeCurrent();
    // Page requests go to the main view again, the window shortcuts act on
    // the main window, and events for the current view (firmware progress)
    // reach the main page instead of the pop-up that is gone.
    ClientHandler* handler = m_window.clientHandler();
    handler->setCurrentListener(m_window.mainView());
    handler->setHostWindow(&m_window);
    const QString mainName = handler->nameOf(m_window.mainView());
    if (!mainName.isEmpty())
        handler->setCurrentViewName(mainName);
}

void WindowCommandHost::showTrayMessage(const QString& title, const QString& text)
{
    if (SystemTray* tray = m_window.tray())
        tray->showInfo(title, text);
}

void WindowCommandHost::hideToTray()
{
    m_window.hideToTray();
}

void WindowCommandHost::closeApplication()
{
    m_window.closeApplication();
}

bool WindowCommandHost::hasTray() const
{
    return m_window.hasTray();
}

std::optional<QString> WindowCommandHost::saveFileName(const QString& title, const QString& folder,
                                                       const QString& filter)
{
    const QString path = QFileDialog::getSaveFileName(&m_window, title, folder, filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> WindowCommandHost::openFileName(const QString& title, const QString& folder,
                                                       const QString& filter)
{
    const QString path = QFileDialog::getOpenFileName(&m_window, title, folder, filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

InputAutomation* WindowCommandHost::inputAutomation()
{
    return &m_window.inputAutomation();
}
