#pragma once

#include <QString>
#include <QVariantMap>

#include "query_callback.h"

struct PageServices;
class WindowPort;

// One running command: the services it works with, its argument map and its
// answer handle.
// Members are read as the pages send them: a JSON number serves as its
// decimal text, a decimal text as a number, and an absent member reads as
// "" or 0.
class CommandContext
{
public:
    CommandContext(PageServices& services, const QVariantMap& args, QueryCallbackPtr callback);

    PageServices& services() const { return m_services; }
    // The window; only for commands marked as needing one (the dispatcher
    // runs them only when there is one).
    WindowPort& window() const;
    const QVariantMap& args() const { return m_args; }

    bool has(const QString& member) const;
    QString text(const QString& member) const;
    // The member as an int; 0 when it is absent, does not read as a number,
    // or is a number outside the int range (never wrapped into it).
    int number(const QString& member) const;

    void succeed(const QString& text) const;
    // Failures always carry the code 0.
    void fail(const QString& text) const;

    // For a command that answers later: it keeps this reference until then.
    QueryCallbackPtr callback() const { return m_callback; }

private:
    PageServices& m_services;
    QVariantMap m_args;
    QueryCallbackPtr m_callback;
};
