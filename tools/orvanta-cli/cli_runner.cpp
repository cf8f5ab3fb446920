#include "cli_runner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QThread>

#include <memory>

#include "command_dispatcher.h"
#include "query_callback.h"

namespace {

QByteArray jsonValue(const QJsonValue& value)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

QByteArray replyLine(const QString& request, const QByteArray& rest)
{
    return "{\"request\":" + jsonValue(request) + ",\"reply\":" + rest + "}";
}

void spin(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

} // namespace

CliRunner::CliRunner(CommandDispatcher& dispatcher, Output output, QObject* parent)
    : QObject(parent)
    , m_dispatcher(dispatcher)
    , m_output(std::move(output))
{
}

bool CliRunner::run(const QString& request)
{
    // Set once the request's line is written; an answer after that (past
    // the answer timeout) is dropped.
    auto closed = std::make_shared<bool>(false);
    const Output output = m_output;
    QueryCallbackPtr callback = makeQueryCallback(
        [output, request, closed](const QString& text) {
            if (*closed)
                return;
            *closed = true;
            output(replyLine(request, "\"success\",\"text\":" + jsonValue(text)));
        },
        [output, request, closed](int code, const QString& text) {
            if (*closed)
                return;
            *closed = true;
            output(replyLine(request, "\"failure\",\"code\":" + QByteArray::number(code)
                                          + ",\"text\":" + jsonValue(text)));
        });

    const DecodedRequest::Kind kind = m_dispatcher.onJsMessage(request, callback);
    if (kind == DecodedRequest::NotAnObject) {
        *closed = true;
        m_output(replyLine(request, "\"none\",\"error\":\"not a JSON object\""));
        return false;
    }
    // Someone else holds the handle: the command answers later.
    if (!*closed && callback.use_count() > 1)
        spin([&callback, closed] { return *closed || callback.use_count() == 1; }, m_answerTimeoutMs);
    if (!*closed) {
        *closed = true;
        m_output(replyLine(request, "\"none\""));
    }
    QCoreApplication::processEvents();
    return true;
}

void CliRunner::wait(int ms)
{
    spin([] { return false; }, ms);
}

void CliRunner::writeEvent(const QString& name, const QVariantList& args, const QString& view)
{
    QByteArray line = "{\"event\":" + jsonValue(name) + ",\"args\":"
        + QJsonDocument(QJsonArray::fromVariantList(args)).toJson(QJsonDocument::Compact);
    if (!view.isEmpty())
        line += ",\"view\":" + jsonValue(view);
    m_output(line + "}");
}
