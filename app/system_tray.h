#pragma once

#include <QList>
#include <QStringList>
#include <QSystemTrayIcon>

class QAction;
class QMenu;
class QWidget;

// The tray icon: ":/image/tray", tool tip "RX318 Pro dual module", and a
// menu with the open action, a separator and the exit action. The menu
// texts follow conf.ini's Language: "en" gives "OPEN" and "EXIT", anything
// else (no value included) "打开" and "退出". The open action asks to show
// the window only while the tray mode is "EnableTray"; exit always asks to
// close the program. Between the two, the presets are listed (the active
// one checked) so that one can be chosen by hand.
class SystemTray : public QSystemTrayIcon
{
    Q_OBJECT
public:
    // window: parent of the menu; language: conf.ini's Language.
    SystemTray(QWidget* window, const QString& language);

    static QString openText(const QString& language);
    static QString exitText(const QString& language);
    static QString presetsText(const QString& language);

    // The presets to list, in order, and the active one.
    void setPresets(const QStringList& names, const QString& active);
    QList<QAction*> presetActions() const { return m_presetActions; }

    // A balloon with the information icon, shown for 800 ms.
    static constexpr int kInfoBalloonMs = 800;
    void showInfo(const QString& title, const QString& text);

    QMenu* menu() const { return m_menu; }
    QAction* openAction() const { return m_open; }
    QAction* exitAction() const { return m_exit; }

signals:
    void showWidget();
    void closeApp();
    // A preset was chosen in the menu.
    void presetChosen(const QString& name);
    // A balloon was asked for (shown where the desktop has a tray).
    void infoShown(const QString& title, const QString& text, int msecs);

public slots:
    void doshowWidget();
    void docloseApp();

private:
    QString m_language;
    QMenu* m_menu;
    QList<QAction*> m_presetActions;
    QAction* m_presetSeparator = nullptr;
    QAction* m_open;
    QAction* m_exit;
};
