#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>

#include <functional>

#include "page_events.h"

// orvanta-cli's page event sink: there are no views, so every event that
// would reach the main view, the current view or every view is printed;
// one addressed to a named view only when the printer was asked to print
// those too (--all-views), as if that view were open.
//
// Events raised in the printer's thread are printed at once (after their
// route's delay, if any); those from other threads (input reports come on
// the transport's reader thread) are handed to the printer's thread first.
class EventPrinter : public QObject, public PageEventSink
{
public:
    using Write = std::function<void(const QString& name, const QVariantList& args, const QString& view)>;

    EventPrinter(Write write, bool allViews, QObject* parent = nullptr);

    void deliver(const EventRoute& route, const QString& view, const QString& name,
                 const QVariantList& args) override;

private:
    Write m_write;
    bool m_allViews;
};
