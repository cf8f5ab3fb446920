#pragma once

#include "query_callback.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QVariantList>

#include <functional>

// The native end of the page interface of one view, published to the page
// over Qt WebChannel as "orvantaBridge". The injected script calls query()
// for every cefQuery and cancel() for cefQueryCancel; answers go back as
// answered(), native events as pageEvent(). Lives in the GUI thread; the
// answer handles it gives out may be answered from any thread.
class PageBridge : public QObject
{
    Q_OBJECT
public:
    // Receives each request with the handle that answers it.
    using RequestHandler = std::function<void(const QString& request, const QueryCallbackPtr& callback)>;

    explicit PageBridge(QObject* parent = nullptr);

    void setRequestHandler(RequestHandler handler) { m_handler = std::move(handler); }

    // Raises a native event in the page.
    void sendEvent(const QString& name, const QVariantList& args);

public slots:
    // id: the page's query id, unique within the page's lifetime (the
    // script prefixes its counter with a random token, so ids of a page
    // that was reloaded never meet the new page's).
    void query(const QString& id, const QString& request);
    void cancel(const QString& id);

signals:
    void answered(const QString& id, bool success, int code, const QString& text);
    void pageEvent(const QString& name, const QVariantList& args);

private:
    void deliver(const QString& id, bool success, int code, const QString& text);

    RequestHandler m_handler;
    QSet<QString> m_cancelled;
};
