#pragma once

#include "query_callback.h"

#include <QString>
#include <QVector>

#include <functional>

class HostWindow;

// The window shortcuts among the page requests ("cefQuery"), served before
// any request reaches the command dispatcher: "MoveWindow" with four
// numbers (a width or height of 0 or less is no request; the window is
// kept on the screens), and the exact minimise shortcut. Every other request is handed
// on to the current listener, which answers it later. A request nobody
// takes gets no reply.
namespace WindowShortcuts {

// The integers of a "MoveWindow" request: the text from index 11 on
// ("MoveWindow" and one separator), read as comma-separated integers up to
// the first item that is not one.
QVector<int> moveWindowNumbers(const QString& request);

// `{"FuncName":"MinisizeWindow"}`, letter for letter, no blanks.
bool isMinimiseShortcut(const QString& request);

// Handles one request. host: the window of the asking view (may be null);
// beforeMinimise: writes out the page-edited files; forward: hands the
// request to the current listener and answers whether there was one.
// Returns true when the request was taken (answered or forwarded).
bool handle(const QString& request, const QueryCallbackPtr& callback, HostWindow* host,
            const std::function<void()>& beforeMinimise,
            const std::function<bool(const QString&, const QueryCallbackPtr&)>& forward);

} // namespace WindowShortcuts
