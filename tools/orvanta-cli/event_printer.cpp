#include "event_printer.h"

#include <QMetaObject>
#include <QThread>
#include <QTimer>

EventPrinter::EventPrinter(Write write, bool allViews, QObject* parent)
    : QObject(parent)
    , m_write(std::move(write))
    , m_allViews(allViews)
{
}

void EventPrinter::deliver(const EventRoute& route, const QString& view, const QString& name,
                           const QVariantList& args)
{
    if (!view.isEmpty() && !m_allViews)
        return;
    const auto write = [this, name, args, view]() {
        if (m_write)
            m_write(name, args, view);
    };
    if (route.delayMs > 0) {
        const int delayMs = route.delayMs;
        QMetaObject::invokeMethod(
            this, [this, delayMs, write]() { QTimer::singleShot(delayMs, this, write); }, Qt::QueuedConnection);
    } else if (QThread::currentThread() == thread()) {
        write();
    } else {
        QMetaObject::invokeMethod(this, write, Qt::QueuedConnection);
    }
}
