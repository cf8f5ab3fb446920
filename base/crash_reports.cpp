#include "crash_reports.h"

#include "app_layout.h"
#include "no_follow_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

namespace CrashReports {

namespace {

const QRegularExpression& namePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^crash-\\d{8}T\\d{6}-\\d{1,10}\\.txt$"));
    return pattern;
}

QString field(const QString& head, const QString& key)
{
    const QString prefix = key + QStringLiteral(": ");
    for (const QString& line : head.split(QLatin1Char('\n'))) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed();
        if (line.isEmpty())
            break; // the header ends at the first empty line
    }
    return QString();
}

} // namespace

QString folderFor(const AppLayout& layout)
{
    // An installation without a home has no state folder: no reports
    // then, never the installed program's folder.
    if (layout.stateFolder.isEmpty())
        return QString();
    return QDir(layout.stateFolder).filePath(QStringLiteral("crashes"));
}

bool isReportName(const QString& name)
{
    return namePattern().match(name).hasMatch();
}

QVector<Summary> list(const QString& folder)
{
    QVector<Summary> out;
    if (folder.isEmpty())
        return out;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (!isReportName(entry.fileName()) || entry.isSymLink())
            continue;
        Summary s;
        s.name = entry.fileName();
        s.size = entry.size();
        QFile file;
        QString why;
        if (NoFollowFile::openForReading(file, entry.filePath(), &why)) {
            const QString head = QString::fromUtf8(file.read(4096));
            s.time = field(head, QStringLiteral("Time"));
            s.program = field(head, QStringLiteral("Program"));
            s.version = field(head, QStringLiteral("Version"));
            s.signal = field(head, QStringLiteral("Signal"));
            s.reason = field(head, QStringLiteral("Reason"));
        }
        if (s.time.isEmpty())
            s.time = entry.lastModified().toUTC().toString(Qt::ISODate);
        out.append(s);
    }
    std::sort(out.begin(), out.end(), [](const Summary& a, const Summary& b) {
        return a.time != b.time ? a.time > b.time : a.name > b.name;
    });
    return out;
}

void prune(const QString& folder, int keep)
{
    // By name, as the crash handler does: names sort by the time their
    // program started.
    QStringList names;
    for (const Summary& report : list(folder))
        names << report.name;
    std::sort(names.begin(), names.end(), std::greater<QString>());
    for (int i = std::max(keep, 0); i < names.size(); ++i)
        QFile::remove(QDir(folder).filePath(names.at(i)));
}

bool read(const QString& folder, const QString& name, QString* text, QString* why, qint64 maxBytes)
{
    if (!isReportName(name)) {
        *why = QStringLiteral("not the name of a crash report");
        return false;
    }
    QFile file;
    if (folder.isEmpty()
        || !NoFollowFile::openForReading(file, QDir(folder).filePath(name), why))
        return false;
    *text = QString::fromUtf8(file.read(maxBytes));
    return true;
}

QString nameForThisProcess()
{
    static const QString name = QStringLiteral("crash-%1-%2.txt")
                                    .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss")))
                                    .arg(QCoreApplication::applicationPid());
    return name;
}

} // namespace CrashReports
