#include "command_dispatcher.h"

#include <QDebug>

#include "automation_commands.h"
#include "preset_commands.h"
#include "command_context.h"
#include "page_services.h"
#include "window_port.h"
#include "device_page_commands.h"
#include "dialog_commands.h"
#include "file_commands.h"
#include "music_commands.h"
#include "pointer_commands.h"
#include "settings_commands.h"
#include "crash_report_commands.h"
#include "real_device_commands.h"
#include "update_commands.h"
#include "window_commands.h"

QString noWindowText()
{
    return QStringLiteral("not available without a window");
}

CommandTable defaultCommandTable()
{
    CommandTable table;
    addWindowCommands(table);
    addSettingsCommands(table);
    addFileCommands(table);
    addDialogCommands(table);
    addDevicePageCommands(table);
    addUpdateCommands(table);
    addMusicCommands(table);
    addPointerCommands(table);
    addAutomationCommands(table);
    addPresetCommands(table);
    addCrashReportCommands(table);
    addRealDeviceCommands(table);
    return table;
}

CommandDispatcher::CommandDispatcher(PageServices& services)
    : CommandDispatcher(services, defaultCommandTable())
{
}

CommandDispatcher::CommandDispatcher(PageServices& services, CommandTable table)
    : m_services(services)
    , m_table(std::move(table))
{
}

DecodedRequest::Kind CommandDispatcher::onJsMessage(const QString& request, const QueryCallbackPtr& callback)
{
    const DecodedRequest decoded = decodeRequest(request);
    switch (decoded.kind) {
    case DecodedRequest::MaximizeWindow:
    case DecodedRequest::RestoreWindow:
        if (!m_services.hasWindow()) {
            if (callback)
                callback->failure(0, noWindowText());
        } else if (decoded.kind == DecodedRequest::MaximizeWindow) {
            m_services.window->maximizeWindow();
        } else {
            m_services.window->restoreWindow();
        }
        break;
    case DecodedRequest::Command:
        qDebug().noquote() << QStringLiteral("funcname====") + decoded.name;
        dofunc(decoded.name, decoded.args, callback);
        break;
    case DecodedRequest::NotAnObject:
    case DecodedRequest::NoFuncName:
        break;
    }
    return decoded.kind;
}

void CommandDispatcher::dofunc(const QString& funcname, const QVariantMap& args, const QueryCallbackPtr& callback)
{
    const CommandEntry* entry = m_table.find(funcname);
    if (!entry)
        return;
    CommandContext context(m_services, args, callback);
    if (entry->needsWindow && !m_services.hasWindow()) {
        context.fail(noWindowText());
        return;
    }
    entry->run(context);
}
