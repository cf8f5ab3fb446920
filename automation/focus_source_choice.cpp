#include "focus_source_choice.h"

#include "dbus_focus_source.h"
#include "null_focus_source.h"
#include "private_folder.h"
#include "x11_focus_source.h"

namespace {

std::unique_ptr<FocusSource> dbusSource(DBusFocusSource::Shell shell)
{
    return std::make_unique<DBusFocusSource>(shell, QDBusConnection::sessionBus(),
                                             shell == DBusFocusSource::Shell::KWin ? privateRuntimeFolder() : QString());
}

} // namespace

std::unique_ptr<FocusSource> focusSourceFor(const QProcessEnvironment& environment)
{
    const QString forced = environment.value(QStringLiteral("ORVANTA_FOCUS_SOURCE")).trimmed().toLower();
    if (forced == QLatin1String("x11"))
        return std::make_unique<X11FocusSource>();
    if (forced == QLatin1String("kwin"))
        return dbusSource(DBusFocusSource::Shell::KWin);
    if (forced == QLatin1String("gnome"))
        return dbusSource(DBusFocusSource::Shell::Gnome);
    if (forced == QLatin1String("dbus"))
        return dbusSource(DBusFocusSource::Shell::Other);
    if (forced == QLatin1String("none"))
        return std::make_unique<NullFocusSource>();

    const QStringList desktops = environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).toUpper().split(QLatin1Char(':'));
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty()
                         || environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland");
    if (wayland) {
        if (desktops.contains(QLatin1String("KDE")))
            return dbusSource(DBusFocusSource::Shell::KWin);
        if (desktops.contains(QLatin1String("GNOME")))
            return dbusSource(DBusFocusSource::Shell::Gnome);
        // Other compositors keep the front window to themselves, but their
        // XWayland tells its X programs (a native window counts as none).
        if (!environment.value(QStringLiteral("DISPLAY")).isEmpty())
            return std::make_unique<X11FocusSource>(environment.value(QStringLiteral("DISPLAY")), X11FocusSource::Scope::XWayland);
        return std::make_unique<NullFocusSource>();
    }
    if (!environment.value(QStringLiteral("DISPLAY")).isEmpty())
        return std::make_unique<X11FocusSource>(environment.value(QStringLiteral("DISPLAY")));
    return std::make_unique<NullFocusSource>();
}
