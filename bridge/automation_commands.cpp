#include "automation_commands.h"

#include "command_context.h"
#include "page_services.h"
#include "window_port.h"
#include "command_table.h"
#include "input_automation.h"
#include "keyboard_capture.h"

namespace {

// The page sends the status as the words for start and stop.
const QString kStart = QStringLiteral("开始");
const QString kStop = QStringLiteral("停止");

void startCapture(const PageServices& services)
{
    if (InputAutomation* automation = services.automation)
        automation->keyboardCapture().start();
}

void mouseTracks(CommandContext& c)
{
    const QString status = c.text(QStringLiteral("status"));
    if (status == kStart) {
        startCapture(c.services());
        c.succeed(QStringLiteral("mouseTracks success"));
    } else if (status == kStop) {
        InputAutomation* automation = c.services().automation;
        c.succeed(automation ? automation->keyboardCapture().stop() : QString());
    }
}

void modifyMouseAccel(CommandContext& c)
{
    startCapture(c.services());
}

void getWindowsKeyboreadConfig(CommandContext& c)
{
    c.succeed(QString());
}

void refreshVirtualDrive(CommandContext& c)
{
    const QString text = c.text(QStringLiteral("VirtualStr"));
    if (text.isEmpty())
        return;
    InputAutomation* automation = c.services().automation;
    const std::optional<bool> result = automation ? automation->refreshVirtualDrive(text) : std::optional<bool>(false);
    if (!result)
        return;
    if (*result)
        c.succeed(QStringLiteral("RefreshVirtualDrive success!"));
    else
        c.fail(QStringLiteral("RefreshVirtualDrive failed!"));
}

} // namespace

void addAutomationCommands(CommandTable& table)
{
    table.add(19, QStringLiteral("mouseTracks"), mouseTracks);
    table.add(25, QStringLiteral("modifyMouseAccel"), modifyMouseAccel);
    table.add(30, QStringLiteral("GetWindowsKeyboreadConfig"), getWindowsKeyboreadConfig);
    table.add(50, QStringLiteral("RefreshVirtualDrive"), refreshVirtualDrive);
}
