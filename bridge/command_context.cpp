#include "command_context.h"

#include "page_services.h"

#include <cmath>
#include <limits>

CommandContext::CommandContext(PageServices& services, const QVariantMap& args, QueryCallbackPtr callback)
    : m_services(services)
    , m_args(args)
    , m_callback(std::move(callback))
{
}

WindowPort& CommandContext::window() const
{
    return *m_services.window;
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
    // A JSON number arrives as a 64-bit integer or a double, and a decimal
    // text is read as a 64-bit number, all of which toInt() would wrap into
    // the int range (4294967298 as 2): a number past that range is not read
    // as one.
    const QVariant value = m_args.value(member);
    switch (value.userType()) {
    case QMetaType::QString: {
        bool ok = false;
        const int result = value.toString().toInt(&ok);
        return ok ? result : 0;
    }
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::UInt: {
        const double real = value.toDouble();
        if (!std::isfinite(real) || real < double(std::numeric_limits<int>::min())
            || real > double(std::numeric_limits<int>::max()))
            return 0;
        break;
    }
    default:
        break;
    }
    bool ok = false;
    const int result = value.toInt(&ok);
    return ok ? result : 0;
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
