#include "pointer_commands.h"

#include "command_context.h"
#include "page_services.h"
#include "window_port.h"
#include "command_table.h"
#include "pointer_settings.h"

namespace {

using Setter = bool (PointerSettings::*)(int);

// Adds one command that hands "Num" to setter. The acceleration command is
// named "modifyMouseAcce" but answers with "modifyMouseAccel ...", hence
// the separate reply name.
void addSetter(CommandTable& table, int order, const QString& name, const QString& replyName, Setter setter)
{
    table.add(order, name, [replyName, setter](CommandContext& c) {
        if (!c.has(QStringLiteral("Num")))
            return;
        PointerSettings* settings = c.services().pointerSettings;
        if (settings && (settings->*setter)(c.number(QStringLiteral("Num"))))
            c.succeed(replyName + QStringLiteral(" success"));
        else
            c.fail(replyName + QStringLiteral(" failed"));
    });
}

// Which pointer settings the desktop applies, and where its own settings
// are: the page disables what the desktop does not use. Answers "{}" where
// the host has no pointer settings.
void getPointerSupport(CommandContext& c)
{
    PointerSettings* settings = c.services().pointerSettings;
    c.succeed(settings ? settings->supportJson() : QStringLiteral("{}"));
}

} // namespace

void addPointerCommands(CommandTable& table)
{
    table.add(52, QStringLiteral("GetPointerSupport"), getPointerSupport);
    addSetter(table, 23, QStringLiteral("modifyMouseAcce"), QStringLiteral("modifyMouseAccel"),
              &PointerSettings::setAccelerationPreset);
    addSetter(table, 24, QStringLiteral("ModifyWindowAcceleratedSpeed"), QStringLiteral("ModifyWindowAcceleratedSpeed"),
              &PointerSettings::setSpeedIndex);
    addSetter(table, 26, QStringLiteral("ModifyMouseScrollLines"), QStringLiteral("ModifyMouseScrollLines"),
              &PointerSettings::setWheelLines);
    addSetter(table, 27, QStringLiteral("modifyMouseScrollLinesX"), QStringLiteral("modifyMouseScrollLinesX"),
              &PointerSettings::setWheelChars);
    addSetter(table, 28, QStringLiteral("modifyMouseDoubleClick"), QStringLiteral("modifyMouseDoubleClick"),
              &PointerSettings::setDoubleClickIndex);
}
