#pragma once

#include <QSystemTrayIcon>

class QAction;
class QMenu;
class QWidget;

// The tray icon: ":/image/tray", tool tip "RX318 Pro dual module", and a
// menu with the open action, a separator and the exit action. The menu
// texts follow conf.ini's Language: "en" gives "OPEN" and "EXIT", anything
// else (no value included) "打开" and "退出". The open action asks to show
// the window only while the tray mode is "EnableTray"; exit always asks to
// close the program.
class SystemTray : public QSystemTrayIcon
{
    Q_OBJECT
public:
    // window: parent of the menu; language: conf.ini's Language.
    SystemTray(QWidget* window, const QString& language);

    static QString openText(const QString& language);
    static QString exitText(const QString& language);

    // A balloon with the information icon, shown for 800 ms.
    static constexpr int kInfoBalloonMs = 800;
    void showInfo(const QString& title, const QString& text);

    QMenu* menu() const { return m_menu; }
    QAction* openAction() const { return m_open; }
    QAction* exitAction() const { return m_exit; }

signals:
    void showWidget();
    void closeApp();
    // A balloon was asked for (shown where the desktop has a tray).
    void infoShown(const QString& title, const QString& text, int msecs);

public slots:
    void doshowWidget();
    void docloseApp();

private:
    QMenu* m_menu;
    QAction* m_open;
    QAction* m_exit;
};
