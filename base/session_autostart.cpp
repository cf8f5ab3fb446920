#include "session_autostart.h"

#include "no_follow_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace SessionAutostart {

namespace {

// One argument of an Exec key: in double quotes, with the characters the
// desktop entry format reserves inside quotes escaped, and "%" doubled
// (field codes).
QString quotedArgument(const QString& argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A key's value in the entry's text, or "".
QString valueOf(const QString& text, const QString& key)
{
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && line.left(equals).trimmed() == key)
            return line.mid(equals + 1).trimmed();
    }
    return QString();
}

} // namespace

QString entryPath(const QString& configHome, const QString& appId)
{
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome) || appId.isEmpty())
        return QString();
    return QDir(configHome).filePath(QStringLiteral("autostart/") + appId + QStringLiteral(".desktop"));
}

bool enabled(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.isSymLink() || !info.isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromUtf8(file.read(64 * 1024));
    return valueOf(text, QStringLiteral("Hidden")).toLower() != QLatin1String("true")
           && valueOf(text, QStringLiteral("X-GNOME-Autostart-enabled")).toLower() != QLatin1String("false");
}

QByteArray entryText(const QString& program, const QString& appId)
{
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Orvanta\n"
                                        "Comment=Starts Orvanta in the tray when the session starts\n"
                                        "Exec=%1 -autostart\n"
                                        "Icon=%2\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(quotedArgument(program), appId);
    return text.toUtf8();
}

bool enable(const QString& path, const QString& program, const QString& appId, QString* why)
{
    if (path.isEmpty() || !QDir::isAbsolutePath(program)) {
        if (why)
            *why = QStringLiteral("no autostart folder or no program path");
        return false;
    }
    const QString folder = QFileInfo(path).absolutePath();
    const QString configHome = QFileInfo(folder).absolutePath();
    if (!QDir().mkpath(configHome) || !NoFollowFile::makeFolder(folder, configHome, why))
        return false;
    return NoFollowFile::save(path, entryText(program, appId), folder, why);
}

bool disable(const QString& path, QString* why)
{
    const QFileInfo info(path);
    if (path.isEmpty() || (!info.exists() && !info.isSymLink()))
        return true;
    // A link there is removed itself; what it points to stays.
    if (QFile::remove(path))
        return true;
    if (why)
        *why = QStringLiteral("cannot remove %1").arg(path);
    return false;
}

} // namespace SessionAutostart
