#include "command_context.h"

CommandContext::CommandContext(CommandHost& host, const QVariantMap& args, QueryCallbackPtr callback)
    : m_host(host)
    , m_args(args)
    , m_callback(std::move(callback))
{
}

bool CommandContext::has(const QString& member) const
{
    return m_args.contains(member);
}

QString CommandContext::text(const QString& member) const
{
    return m_args.value(member).toString();
}

int CommandContext::number(const QString& member) const
{
    return m_args.value(member).toInt();
}

void CommandContext::succeed(const QString& text) const
{
    if (m_callback)
        m_callback->success(text);
}

void CommandContext::fail(const QString& text) const
{
    if (m_callback)
        m_callback->failure(0, text);
}
