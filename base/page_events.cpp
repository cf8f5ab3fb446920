#include "page_events.h"

#include <QHash>

EventRoute eventRoute(const QString& name)
{
    static const QHash<QString, EventRoute> routes = {
        {QStringLiteral("devicesChanged"), {EventAudience::MainView, 500}},
        {QStringLiteral("onDeviceData"), {EventAudience::EveryView, 0}},
        {QStringLiteral("currentPropChanged"), {EventAudience::MainView, 0}},
        {QStringLiteral("navStateChanged"), {EventAudience::MainView, 0}},
        {QStringLiteral("onBrowserMsg"), {EventAudience::NamedView, 0}},
        {QStringLiteral("onUpdateFirmware"), {EventAudience::CurrentView, 0}},
        {QStringLiteral("OnRGBMusicData"), {EventAudience::NamedView, 0}},
        {QStringLiteral("RefreshDownState"), {EventAudience::NamedViewElseMain, 0}},
        {QStringLiteral("onSwitchVirtualDevice"), {EventAudience::MainView, 0}},
        {QStringLiteral("onPresetChanged"), {EventAudience::MainView, 0}},
    };
    return routes.value(name, EventRoute{EventAudience::NamedViewElseMain, 0});
}

void raisePageEvent(PageEventSink& sink, const QString& name, const QVariantList& args, const QString& view)
{
    sink.deliver(eventRoute(name), view, name, args);
}
