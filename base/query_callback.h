#pragma once

#include <QMetaType>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

// The answer handle of one page request. Whoever runs the request answers
// through it, from any thread, with success(text) or failure(code, text).
// A request is answered at most once: the first answer is delivered, later
// ones are ignored and reported as false. A handle that is dropped
// unanswered leaves the request without a reply, which several commands
// rely on.
class QueryCallback
{
public:
    using SuccessHandler = std::function<void(const QString& text)>;
    using FailureHandler = std::function<void(int code, const QString& text)>;

    QueryCallback(SuccessHandler onSuccess, FailureHandler onFailure);

    bool success(const QString& text);
    bool failure(int code, const QString& text);
    bool answered() const;

private:
    bool claim();

    SuccessHandler m_onSuccess;
    FailureHandler m_onFailure;
    std::atomic<bool> m_answered{false};
};

using QueryCallbackPtr = std::shared_ptr<QueryCallback>;

// Convenience for callers and tests.
QueryCallbackPtr makeQueryCallback(QueryCallback::SuccessHandler onSuccess,
                                   QueryCallback::FailureHandler onFailure);

Q_DECLARE_METATYPE(QueryCallbackPtr)
