#include "page_bridge.h"

#include <QMetaObject>
#include <QPointer>

PageBridge::PageBridge(QObject* parent)
    : QObject(parent)
{
}

void PageBridge::sendEvent(const QString& name, const QVariantList& args)
{
    emit pageEvent(name, args);
}

void PageBridge::query(const QString& id, const QString& request)
{
    QPointer<PageBridge> self(this);
    // Answers may come from worker threads; they reach the page through the
    // GUI thread, and not at all once the view is gone.
    auto post = [self, id](bool success, int code, const QString& text) {
        if (!self)
            return;
        QMetaObject::invokeMethod(self.data(), [self, id, success, code, text]() {
            if (self)
                self->deliver(id, success, code, text);
        }, Qt::QueuedConnection);
    };
    QueryCallbackPtr callback = makeQueryCallback(
        [post](const QString& text) { post(true, 0, text); },
        [post](int code, const QString& text) { post(false, code, text); });
    if (m_handler)
        m_handler(request, callback);
}

void PageBridge::cancel(const QString& id)
{
    m_cancelled.insert(id);
}

void PageBridge::deliver(const QString& id, bool success, int code, const QString& text)
{
    if (m_cancelled.remove(id))
        return;
    emit answered(id, success, code, text);
}
