#include "window_shortcuts.h"

#include "host_window.h"
#include "screen_fit.h"

#include <QRect>

namespace WindowShortcuts {

QVector<int> moveWindowNumbers(const QString& request)
{
    QVector<int> numbers;
    const QStringList items = request.mid(11).split(QLatin1Char(','));
    for (const QString& item : items) {
        bool ok = false;
        const int value = item.trimmed().toInt(&ok);
        if (!ok)
            break;
        numbers.append(value);
    }
    return numbers;
}

bool isMinimiseShortcut(const QString& request)
{
    return request == QLatin1String("{\"FuncName\":\"MinisizeWindow\"}");
}

bool handle(const QString& request, const QueryCallbackPtr& callback, HostWindow* host,
            const std::function<void()>& beforeMinimise,
            const std::function<bool(const QString&, const QueryCallbackPtr&)>& forward)
{
    if (request.startsWith(QLatin1String("MoveWindow"))) {
        const QVector<int> n = moveWindowNumbers(request);
        if (n.size() != 4 || n[2] <= 0 || n[3] <= 0)
            return false;
        if (host) {
            // Whatever the numbers, the window stays one the screens can
            // show.
            const QRect frame = host->frameGeometry();
            const QRect area = host->screenArea();
            if (host->isMinimized() || host->isMaximized())
                host->restoreTo(ScreenFit::place(frame.left(), frame.top(), n[2], n[3], area));
            else
                host->moveAndResize(ScreenFit::place(qint64(frame.left()) + n[0], qint64(frame.top()) + n[1], n[2],
                                                     n[3], area));
        }
        if (callback)
            callback->success(QString());
        return true;
    }
    if (isMinimiseShortcut(request)) {
        if (beforeMinimise)
            beforeMinimise();
        if (host) {
            if (host->isMinimized())
                host->restore();
            else
                host->minimize();
        }
        if (callback)
            callback->success(QString());
        return true;
    }
    return forward && forward(request, callback);
}

} // namespace WindowShortcuts
