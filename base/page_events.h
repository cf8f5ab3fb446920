#pragma once

#include <QString>
#include <QVariantList>

// The page events and who receives each: the one table of their addressing.
// Whoever raises an event (devices, updates, music, the command dispatcher,
// the browser itself) hands it to a sink with the audience this table
// gives; the sink (the browser's views in the program, the printer in
// orvanta-cli) finds the views that audience means.
//
//   "devicesChanged"        the main view, 500 ms after the notice
//   "onDeviceData"          every named view
//   "currentPropChanged"    the main view
//   "navStateChanged"       the main view
//   "onBrowserMsg"          the view named with it
//   "onUpdateFirmware"      the view named by the current view name
//   "OnRGBMusicData"        the view named with it
//   "RefreshDownState"      the view named with it (the one that started
//                           the download), else the main view
//   "onSwitchVirtualDevice" the main view
//   "onPresetChanged"       the main view
//   any other name          the view named with it, else the main view
enum class EventAudience {
    MainView,
    EveryView,
    NamedView,
    CurrentView,
    NamedViewElseMain,
};

struct EventRoute {
    EventAudience audience = EventAudience::NamedViewElseMain;
    // How long the event waits before it is delivered.
    int delayMs = 0;
};

EventRoute eventRoute(const QString& name);

// Where page events are delivered. deliver() may be called from any
// thread; view is the view named with the event ("" when none). The sink
// waits route.delayMs before it delivers.
class PageEventSink
{
public:
    virtual ~PageEventSink() = default;
    virtual void deliver(const EventRoute& route, const QString& view, const QString& name,
                         const QVariantList& args) = 0;
};

// Hands an event to sink with its route from the table.
void raisePageEvent(PageEventSink& sink, const QString& name, const QVariantList& args,
                    const QString& view = QString());
