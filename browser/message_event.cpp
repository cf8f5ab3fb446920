#include "message_event.h"

MessageEvent::MessageEvent(const QString& request, QueryCallbackPtr callback)
    : QEvent(eventType())
    , m_request(request)
    , m_callback(std::move(callback))
{
}

QEvent::Type MessageEvent::eventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}
