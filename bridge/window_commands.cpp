#include "window_commands.h"

#include <QDebug>
#include <QUrl>

#include "client_settings.h"
#include "command_context.h"
#include "page_services.h"
#include "window_port.h"
#include "command_table.h"

namespace {

const QString kConfSuccess = QStringLiteral("modify conf sucess");

void trayFun(CommandContext& c)
{
    const QString mode = c.text(QStringLiteral("TrayFunName"));
    if (mode == QLatin1String("EnableTray") || mode == QLatin1String("DisableTray"))
        c.services().clientSettings->setTrayMode(mode);
    c.succeed(QString());
}

void showMsgBox(CommandContext& c)
{
    c.window().showTrayMessage(QStringLiteral("Info"), c.text(QStringLiteral("Message")));
    c.succeed(QString());
}

void loginMain(CommandContext& c)
{
    const QString url = c.text(QStringLiteral("Url"));
    const QString width = c.text(QStringLiteral("width"));
    const QString height = c.text(QStringLiteral("height"));
    if (url.isEmpty() || width.isEmpty() || height.isEmpty())
        return;
    c.window().loginMain(url, width.toInt(), height.toInt());
}

void loadUrl(CommandContext& c)
{
    if (!c.has(QStringLiteral("url")))
        return;
    const QUrl address = localPageAddress(c.services().applicationFolder, c.text(QStringLiteral("url")));
    c.window().loadUrl(address.toString(QUrl::FullyEncoded));
}

void goBack(CommandContext& c)
{
    c.window().goBack();
    c.succeed(QStringLiteral("goback"));
}

void goForward(CommandContext& c)
{
    c.window().goForward();
    c.succeed(QStringLiteral("goforward"));
}

void closeX(CommandContext& c)
{
    switch (closeActionOf(c.services().clientSettings->reloadClientProfile())) {
    case CloseAction::CloseApplication:
        c.window().closeApplication();
        break;
    case CloseAction::HideToTray:
        c.window().hideToTray();
        break;
    case CloseAction::Nothing:
        break;
    }
    c.succeed(kConfSuccess);
}

void closeApp(CommandContext& c)
{
    c.window().closeApplication();
    c.succeed(kConfSuccess);
}

// {"Tray":true} when the desktop shows the program's tray icon: the page
// asks before its close button hides the window where nothing could bring
// it back.
void getTrayState(CommandContext& c)
{
    c.succeed(c.window().hasTray() ? QStringLiteral("{\"Tray\":true}") : QStringLiteral("{\"Tray\":false}"));
}

void openView(CommandContext& c)
{
    if (!c.has(QStringLiteral("Url")) || !c.has(QStringLiteral("width")) || !c.has(QStringLiteral("height")))
        return;
    c.window().openView(c.text(QStringLiteral("Url")), c.number(QStringLiteral("width")),
                      c.number(QStringLiteral("height")));
}

void closeView(CommandContext& c)
{
    c.window().closeView();
}

void sendMsgToMainBrowser(CommandContext& c)
{
    if (!c.has(QStringLiteral("url")) || !c.has(QStringLiteral("msg")))
        return;
    const QString url = c.text(QStringLiteral("url"));
    qDebug().noquote() << QStringLiteral("SendMsgToMainBrowser:") << url;
    c.services().raise(QStringLiteral("onBrowserMsg"), {c.text(QStringLiteral("msg"))}, url);
    c.succeed(QStringLiteral("SendMsgToMainBrowser success"));
}

} // namespace

QUrl localPageAddress(const QString& folder, const QString& page)
{
    const int hash = page.indexOf(QLatin1Char('#'));
    const QString beforeHash = hash >= 0 ? page.left(hash) : page;
    const int question = beforeHash.indexOf(QLatin1Char('?'));
    QUrl address = QUrl::fromLocalFile(folder + (question >= 0 ? beforeHash.left(question) : beforeHash));
    if (question >= 0)
        address.setQuery(beforeHash.mid(question + 1));
    if (hash >= 0)
        address.setFragment(page.mid(hash + 1));
    return address;
}

CloseAction closeActionOf(const QMap<QString, QString>& profile)
{
    const auto it = profile.find(QStringLiteral("CloseFunc"));
    if (it == profile.end())
        return CloseAction::Nothing;
    if (it.value().compare(QLatin1String("Closeapp"), Qt::CaseSensitive) == 0)
        return CloseAction::CloseApplication;
    return CloseAction::HideToTray;
}

void addWindowCommands(CommandTable& table)
{
    table.add(2, QStringLiteral("TrayFun"), trayFun);
    table.add(3, QStringLiteral("ShowMsgBox"), showMsgBox, CommandTable::NeedsWindow);
    table.add(8, QStringLiteral("LoginMain"), loginMain, CommandTable::NeedsWindow);
    table.add(16, QStringLiteral("loadurl"), loadUrl, CommandTable::NeedsWindow);
    table.add(20, QStringLiteral("goback"), goBack, CommandTable::NeedsWindow);
    table.add(21, QStringLiteral("goforward"), goForward, CommandTable::NeedsWindow);
    table.add(31, QStringLiteral("CloseX"), closeX, CommandTable::NeedsWindow);
    table.add(32, QStringLiteral("CloseApp"), closeApp, CommandTable::NeedsWindow);
    table.add(37, QStringLiteral("OpenView"), openView, CommandTable::NeedsWindow);
    table.add(38, QStringLiteral("CloseView"), closeView, CommandTable::NeedsWindow);
    table.add(39, QStringLiteral("SendMsgToMainBrowser"), sendMsgToMainBrowser, CommandTable::NeedsWindow);
    table.add(53, QStringLiteral("GetTrayState"), getTrayState, CommandTable::NeedsWindow);
}
