#pragma once

#include "focus_source.h"

// Where the desktop does not tell programs which window is in front: the
// presets stay where the user puts them, and the pages show the reason.
class NullFocusSource : public FocusSource
{
    Q_OBJECT
public:
    static QString defaultReason()
    {
        return QStringLiteral("Your desktop does not tell programs which window is in front");
    }
    explicit NullFocusSource(const QString& reason = defaultReason(), QObject* parent = nullptr)
        : FocusSource(parent)
        , m_reason(reason)
    {
    }

    QString name() const override { return QStringLiteral("none"); }
    bool start() override { return false; }
    QString reason() const override { return m_reason; }
    QStringList runningClasses() const override { return {}; }

private:
    QString m_reason;
};
