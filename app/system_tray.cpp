#include "system_tray.h"

#include "tray_mode.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QMenu>

SystemTray::SystemTray(QWidget* window, const QString& language)
    : QSystemTrayIcon(window)
    , m_language(language)
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

QString SystemTray::presetsText(const QString& language)
{
    return language == QLatin1String("en") ? QStringLiteral("Presets") : QStringLiteral("预设");
}

void SystemTray::setPresets(const QStringList& names, const QString& active)
{
    qDeleteAll(m_presetActions);
    m_presetActions.clear();
    delete m_presetSeparator;
    m_presetSeparator = nullptr;
    if (names.isEmpty())
        return;
    auto* group = new QActionGroup(m_menu);
    QAction* header = new QAction(presetsText(m_language), m_menu);
    header->setEnabled(false);
    m_menu->insertAction(m_exit, header);
    m_presetActions << header;
    for (const QString& name : names) {
        QAction* action = new QAction(name, group);
        action->setCheckable(true);
        action->setChecked(name == active);
        connect(action, &QAction::triggered, this, [this, name] { emit presetChosen(name); });
        m_menu->insertAction(m_exit, action);
        m_presetActions << action;
    }
    m_presetSeparator = m_menu->insertSeparator(m_exit);
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
