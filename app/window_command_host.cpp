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
#include "popup_table.h"
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

void WindowCommandHost::maximizeWindow()
{
    m_window.maximizeToWorkArea();
}

void WindowCommandHost::restoreWindow()
{
    m_window.restoreFromMaximized();
}

void WindowCommandHost::loginMain(const QString& url, int width, int height)
{
    m_window.hide();
    if (WebView* view = m_window.mainView())
        view->load(QUrl(url));
    m_window.resize(width, height);
    Window* window = &m_window;
    QTimer::singleShot(1000, window, [window] {
        if (QScreen* screen = window->screen()) {
            QRect frame = window->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            window->move(frame.topLeft());
        }
        window->show();
    });
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
    m_window.popups().open(url, width, height);
}

void WindowCommandHost::closeView()
{
    m_window.popups().closeCurrent();
}

void WindowCommandHost::showTrayMessage(const QString& title, const QString& text)
{
    if (SystemTray* tray = m_window.tray())
        tray->showMessage(title, text);
}

void WindowCommandHost::hideToTray()
{
    m_window.hideToTray();
}

void WindowCommandHost::closeApplication()
{
    m_window.closeApplication();
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
