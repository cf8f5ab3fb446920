#include "dbus_focus_source.h"

#include "kwin_focus_script.h"

#include <QDBusConnectionInterface>

#include <algorithm>

namespace {

// The object the shells call; it hands each call to its source.
class FocusObject : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.orvanta.Focus1")
public:
    explicit FocusObject(DBusFocusSource* source)
        : QObject(source)
        , m_source(source)
    {
    }

public slots:
    Q_SCRIPTABLE void WindowActivated(const QString& app, const QString& title, const QString& pid)
    {
        m_source->activated(app, title, pid);
    }

private:
    DBusFocusSource* m_source;
};

} // namespace

DBusFocusSource::DBusFocusSource(Shell shell, const QDBusConnection& bus, const QString& scriptFolder, QObject* parent)
    : FocusSource(parent)
    , m_shell(shell)
    , m_bus(bus)
    , m_scriptFolder(scriptFolder)
{
}

DBusFocusSource::~DBusFocusSource()
{
    if (m_scriptLoaded)
        KWinFocusScript::unload(m_bus);
    if (m_registered) {
        m_bus.unregisterObject(objectPath());
        m_bus.unregisterService(serviceName());
    }
}

QString DBusFocusSource::name() const
{
    switch (m_shell) {
    case Shell::KWin:
        return QStringLiteral("kwin");
    case Shell::Gnome:
        return QStringLiteral("gnome");
    case Shell::Other:
        break;
    }
    return QStringLiteral("dbus");
}

void DBusFocusSource::setReason(const QString& reason)
{
    if (reason == m_reason)
        return;
    m_reason = reason;
    emit reasonChanged();
}

bool DBusFocusSource::start()
{
    if (m_registered)
        return m_reason.isEmpty();
    if (!m_bus.isConnected()) {
        setReason(QStringLiteral("The desktop's session bus cannot be reached"));
        return false;
    }
    if (!m_bus.registerObject(objectPath(), new FocusObject(this), QDBusConnection::ExportScriptableSlots)
        || !m_bus.registerService(serviceName())) {
        m_bus.unregisterObject(objectPath());
        setReason(QStringLiteral("Another program already listens for the window in front on the session bus"));
        return false;
    }
    m_registered = true;
    switch (m_shell) {
    case Shell::KWin: {
        QString why;
        m_scriptLoaded = KWinFocusScript::load(m_bus, m_scriptFolder, &why);
        setReason(m_scriptLoaded ? QString() : QStringLiteral("KWin did not take Orvanta's window script (%1)").arg(why));
        return m_scriptLoaded;
    }
    case Shell::Gnome:
        setReason(m_heard ? QString()
                          : QStringLiteral("Turn on the Orvanta extension in GNOME's Extensions so that presets follow "
                                           "the window in front"));
        return true;
    case Shell::Other:
        setReason(m_heard ? QString() : QStringLiteral("Waiting for the desktop to tell which window is in front"));
        return true;
    }
    return true;
}

void DBusFocusSource::activated(const QString& app, const QString& title, const QString& pid)
{
    bool isNumber = false;
    const qint64 number = pid.size() <= 10 ? pid.toLongLong(&isNumber) : 0;
    const FocusedWindow window = FocusedWindow::of(app, title, isNumber ? number : 0);
    m_heard = true;
    if (m_shell != Shell::KWin || m_scriptLoaded)
        setReason(QString());
    if (!window.app.isEmpty() && (m_seen.size() < kMaxClasses || m_seen.contains(window.app)))
        m_seen.insert(window.app);
    emit windowActivated(window);
}

QStringList DBusFocusSource::runningClasses() const
{
    QStringList sorted(m_seen.begin(), m_seen.end());
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return sorted;
}

#include "dbus_focus_source.moc"
