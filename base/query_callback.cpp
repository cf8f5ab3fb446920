#include "query_callback.h"

#include <utility>

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
