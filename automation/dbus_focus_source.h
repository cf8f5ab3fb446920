#pragma once

#include "focus_source.h"

#include <QDBusConnection>
#include <QSet>

// The window in front as a desktop shell reports it on the session bus:
// the shell calls
//   org.orvanta.Orvanta /org/orvanta/Focus org.orvanta.Focus1.WindowActivated(s app, s title, s pid)
// each time another window comes to the front (an empty app: none, or the
// desktop). KWin does it through the script this program loads into it
// (KWinFocusScript); GNOME Shell through the extension shipped with the
// program, once the user turns it on. The pid travels as text, since the
// shells' script bindings do not agree on a number type.
//
// The session bus is the user's own; what a caller says is still cut to
// the lengths of FocusedWindow, and a pid that is not a number counts as
// none.
class DBusFocusSource : public FocusSource
{
    Q_OBJECT
public:
    enum class Shell {
        KWin,  // loads its script into KWin when started
        Gnome, // waits for the extension
        Other, // waits for any caller (tests, other shells)
    };

    static QString serviceName() { return QStringLiteral("org.orvanta.Orvanta"); }
    static QString objectPath() { return QStringLiteral("/org/orvanta/Focus"); }
    static QString interfaceName() { return QStringLiteral("org.orvanta.Focus1"); }

    // bus: the session bus (a private one in tests); scriptFolder: where
    // the KWin script is written (a private folder).
    DBusFocusSource(Shell shell, const QDBusConnection& bus, const QString& scriptFolder = QString(),
                    QObject* parent = nullptr);
    ~DBusFocusSource() override;

    QString name() const override;
    bool start() override;
    QString reason() const override { return m_reason; }
    QStringList runningClasses() const override;

    // A call of WindowActivated.
    void activated(const QString& app, const QString& title, const QString& pid);

private:
    void setReason(const QString& reason);

    Shell m_shell;
    QDBusConnection m_bus;
    QString m_scriptFolder;
    QString m_reason;
    QSet<QString> m_seen;
    bool m_registered = false;
    bool m_scriptLoaded = false;
    bool m_heard = false;
};
