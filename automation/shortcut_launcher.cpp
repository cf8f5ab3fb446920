#include "shortcut_launcher.h"

#include "logging.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

ShortcutLauncher::System ShortcutLauncher::systemDefaults()
{
    System system;
    system.findProgram = [](const QString& program) { return QStandardPaths::findExecutable(program); };
    system.startDetached = [](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
    };
    system.openUrl = [](const QString& url) {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            // The desktop services belong to the GUI thread.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [url]() { QDesktopServices::openUrl(QUrl(url)); },
                Qt::QueuedConnection);
            return true;
        }
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        return !opener.isEmpty() && QProcess::startDetached(opener, {url});
    };
    return system;
}

ShortcutLauncher::ShortcutLauncher(System system)
    : m_system(std::move(system))
{
}

QStringList ShortcutLauncher::candidates(const QString& word)
{
    if (word == QLatin1String("calculatrice"))
        return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("galculator"),
                QStringLiteral("mate-calc"), QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc")};
    if (word == QLatin1String("notepad"))
        return {QStringLiteral("gnome-text-editor"), QStringLiteral("gedit"), QStringLiteral("kate"),
                QStringLiteral("kwrite"), QStringLiteral("mousepad"), QStringLiteral("pluma"),
                QStringLiteral("xed"), QStringLiteral("featherpad"), QStringLiteral("leafpad")};
    if (word == QLatin1String("stikynot"))
        return {QStringLiteral("gcolor3"), QStringLiteral("kcolorchooser"), QStringLiteral("gpick"),
                QStringLiteral("gcolor2"), QStringLiteral("zenity")};
    return {};
}

QString ShortcutLauncher::fileUrl(const QString& value)
{
    QString path = value;
    // An absolute path brings its own slash.
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    return QStringLiteral("file:///") + path;
}

QString ShortcutLauncher::open(const QString& value)
{
    if (value == QLatin1String("mail")) {
        const QString composer = m_system.findProgram(QStringLiteral("xdg-email"));
        if (!composer.isEmpty() && m_system.startDetached(composer, {}))
            return QStringLiteral("start ") + composer;
        if (m_system.openUrl(QStringLiteral("mailto:")))
            return QStringLiteral("open mailto:");
        LOG_WARNING(QStringLiteral("Application Error: shortcut mail: no mail composer found"));
        return QString();
    }
    const QStringList programs = candidates(value);
    if (!programs.isEmpty()) {
        for (const QString& program : programs) {
            const QString path = m_system.findProgram(program);
            if (path.isEmpty())
                continue;
            // zenity is a colour tool only with its colour dialog.
            const QStringList arguments =
                program == QLatin1String("zenity") ? QStringList{QStringLiteral("--color-selection")} : QStringList();
            if (m_system.startDetached(path, arguments))
                return QStringLiteral("start ") + path;
        }
        LOG_WARNING(QStringLiteral("Application Error: shortcut %1: none of %2 is installed")
                        .arg(value, programs.join(QStringLiteral(", "))));
        return QString();
    }
    const QString url = fileUrl(value);
    if (m_system.openUrl(url))
        return QStringLiteral("open ") + url;
    LOG_WARNING(QStringLiteral("Application Error: shortcut: cannot open %1").arg(url));
    return QString();
}
