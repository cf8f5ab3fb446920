#include "query_callback.h"

#include <QCoreApplication>

#include <utility>

namespace {

// Answer handles travel in queued signals (a page request posted to the GUI
// thread, a request handed to a worker): the type is registered by name once,
// as the application object is made.
void registerQueryCallbackType()
{
    qRegisterMetaType<QueryCallbackPtr>();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(registerQueryCallbackType)

QueryCallback::QueryCallback(SuccessHandler onSuccess, FailureHandler onFailure)
    : m_onSuccess(std::move(onSuccess)), m_onFailure(std::move(onFailure))
{
}

bool QueryCallback::claim()
{
    bool expected = false;
    return m_answered.compare_exchange_strong(expected, true);
}

bool QueryCallback::success(const QString& text)
{
    if (!claim())
        return false;
    if (m_onSuccess)
        m_onSuccess(text);
    return true;
}

bool QueryCallback::failure(int code, const QString& text)
{
    if (!claim())
        return false;
    if (m_onFailure)
        m_onFailure(code, text);
    return true;
}

bool QueryCallback::answered() const
{
    return m_answered.load();
}

QueryCallbackPtr makeQueryCallback(QueryCallback::SuccessHandler onSuccess,
                                   QueryCallback::FailureHandler onFailure)
{
    return std::make_shared<QueryCallback>(std::move(onSuccess), std::move(onFailure));
}
