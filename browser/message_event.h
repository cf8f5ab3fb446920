#pragma once

#include "query_callback.h"

#include <QEvent>
#include <QString>

// A page request on its way to the view that handles it: posted to the
// current listener and turned into its jsMessage signal in the GUI thread.
// Dropping the event drops its reference to the answer handle.
class MessageEvent : public QEvent
{
public:
    MessageEvent(const QString& request, QueryCallbackPtr callback);

    // Registered with QEvent::registerEventType once.
    static QEvent::Type eventType();

    QString request() const { return m_request; }
    QueryCallbackPtr callback() const { return m_callback; }

private:
    QString m_request;
    QueryCallbackPtr m_callback;
};
