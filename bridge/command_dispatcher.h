#pragma once

#include <QString>
#include <QVariantMap>

#include "command_request.h"
#include "command_table.h"
#include "query_callback.h"

struct PageServices;

// The reply of a command that needs a window, when there is none.
QString noWindowText();

// Runs page requests against the services of a page session: decodes the
// request text, then runs the command its "FuncName" names. The page
// session owns one; a pop-up's requests go through the main window's.
class CommandDispatcher
{
public:
    // With the table of every command this build has.
    explicit CommandDispatcher(PageServices& services);
    CommandDispatcher(PageServices& services, CommandTable table);

    CommandTable& table() { return m_table; }

    // The request path: the "maxsizeWindow" and "restoreWindow" tests, then
    // the JSON object and its "FuncName". Dropped requests get no reply.
    // Answers what the request was decoded as.
    DecodedRequest::Kind onJsMessage(const QString& request, const QueryCallbackPtr& callback);

    // Runs the command named funcname. A name that is not in the table is
    // ignored: no reply, no log line. The callback reference is released
    // when this returns, unless the command kept its own for a later answer.
    void dofunc(const QString& funcname, const QVariantMap& args, const QueryCallbackPtr& callback);

private:
    PageServices& m_services;
    CommandTable m_table;
};

// Every command of this build, in comparison order.
CommandTable defaultCommandTable();
