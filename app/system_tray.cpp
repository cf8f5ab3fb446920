#include "system_tray.h"

#include "tray_mode.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

SystemTray::SystemTray(QWidget* window, const QString& language)
    : QSystemTrayIcon(window)
    , m_menu(new QMenu(window))
{
    setIcon(QIcon(QStringLiteral(":/image/tray")));
    setToolTip(QStringLiteral("RX318 Pro dual module"));
    m_open = m_menu->addAction(openText(language));
    m_menu->addSeparator();
    m_exit = m_menu->addAction(exitText(language));
    connect(m_open, &QAction::triggered, this, &SystemTray::doshowWidget);
    connect(m_exit, &QAction::triggered, this, &SystemTray::docloseApp);
    setContextMenu(m_menu);
}

QString SystemTray::openText(const QString& language)
{
    return language == QLatin1String("en") ? QStringLiteral("OPEN") : QStringLiteral("打开");
}

QString SystemTray::exitText(const QString& language)
{
    return language == QLatin1String("en") ? QStringLiteral("EXIT") : QStringLiteral("退出");
}

void SystemTray::showInfo(const QString& title, const QString& text)
{
    showMessage(title, text, QSystemTrayIcon::Information, kInfoBalloonMs);
    emit infoShown(title, text, kInfoBalloonMs);
}

void SystemTray::doshowWidget()
{
    if (trayModeText() == QLatin1String("EnableTray"))
        emit showWidget();
}

void SystemTray::docloseApp()
{
    emit closeApp();
}
