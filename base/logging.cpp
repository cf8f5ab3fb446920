#include "logging.h"

#include "app_layout.h"
#include "log_ring.h"
#include "no_follow_file.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>
#include <fcntl.h>
#include <cstdio>
#include <cstring>

namespace {

std::atomic<int> g_minSeverity{static_cast<int>(LogSeverity::Info)};

QMutex &fileMutex()
{
    static QMutex mutex;
    return mutex;
}

// Guarded by fileMutex().
QString g_filePath;
QFile *g_file = nullptr;
bool g_openFailed = false; // report an unwritable log file once, not per line

const char *severityName(LogSeverity severity)
{
    switch (severity) {
    case LogSeverity::Info: return "INFO";
    case LogSeverity::Warning: return "WARNING";
    case LogSeverity::Error: return "ERROR";
    case LogSeverity::Disable: break;
    }
    return "FATAL";
}

// "src/app/application.cpp" -> "application"
QString sourceBaseName(const char *sourceFile)
{
    if (!sourceFile)
        return QString();
    const char *base = sourceFile;
    for (const char *p = sourceFile; *p; ++p) {
        if (*p == '/' || *p == '\\')
            base = p + 1;
    }
    const char *dot = std::strrchr(base, '.');
    const int length = dot ? int(dot - base) : int(std::strlen(base));
    return QString::fromUtf8(base, length);
}

QString defaultFilePath()
{
    return appLayout().stateFile(QStringLiteral("app.log"));
}

} // namespace

namespace Logger {

bool parseSeverity(const QString &text, LogSeverity *severity)
{
    const QString t = text.trimmed().toLower();
    LogSeverity value;
    if (t == QLatin1String("info"))
        value = LogSeverity::Info;
    else if (t == QLatin1String("warning"))
        value = LogSeverity::Warning;
    else if (t == QLatin1String("error"))
        value = LogSeverity::Error;
    else if (t == QLatin1String("disable"))
        value = LogSeverity::Disable;
    else
        return false;
    if (severity)
        *severity = value;
    return true;
}

void applyCommandLine(const QStringList &arguments)
{
    const QString prefix = QStringLiteral("--log-severity=");
    for (const QString &argument : arguments) {
        if (!argument.startsWith(prefix))
            continue;
        LogSeverity severity;
        if (parseSeverity(argument.mid(prefix.size()), &severity))
            setMinSeverity(severity);
        else
            std::fprintf(stderr, "orvanta: unknown log severity '%s' (info, warning, error, disable)\n",
                         qPrintable(argument.mid(prefix.size())));
    }
}

void setMinSeverity(LogSeverity severity)
{
    g_minSeverity.store(static_cast<int>(severity));
}

LogSeverity minSeverity()
{
    return static_cast<LogSeverity>(g_minSeverity.load());
}

bool admits(LogSeverity severity)
{
    const int min = g_minSeverity.load();
    return min != static_cast<int>(LogSeverity::Disable) && static_cast<int>(severity) >= min;
}

void setFilePath(const QString &path)
{
    QMutexLocker lock(&fileMutex());
    if (g_file) {
        g_file->close();
        delete g_file;
        g_file = nullptr;
    }
    g_openFailed = false;
    g_filePath = path;
}

QString filePath()
{
    QMutexLocker lock(&fileMutex());
    return g_filePath.isEmpty() ? defaultFilePath() : g_filePath;
}

QString formatLine(LogSeverity severity, const char *sourceFile, int line,
                   const QString &message, const QDateTime &when)
{
    return QStringLiteral("[%1:%2:%3(%4)] %5")
        .arg(when.toString(QStringLiteral("MMdd/HHmmss.zzz")),
             QLatin1String(severityName(severity)), sourceBaseName(sourceFile),
             QString::number(line), message);
}

QString clipped(const QString &text, int maxChars)
{
    const int kept = qMin(text.size(), qMax(0, maxChars));
    QString out;
    out.reserve(kept + 16);
    for (int i = 0; i < kept; ++i) {
        const QChar c = text.at(i);
        const ushort u = c.unicode();
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (u < 0x20 || u == 0x7F || u == 0x2028 || u == 0x2029 || (u >= 0x80 && u < 0xA0))
            out += QStringLiteral("\\x%1").arg(u, u > 0xFF ? 4 : 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    if (kept < text.size())
        out += QStringLiteral("... (%1 more characters)").arg(text.size() - kept);
    return out;
}

void write(LogSeverity severity, const char *sourceFile, int line, const QString &message)
{
    if (!admits(severity))
        return;
    const QByteArray bytes =
        formatLine(severity, sourceFile, line, message, QDateTime::currentDateTime()).toUtf8() + '\n';
    // A crash report carries the last lines, whether or not the file
    // could be written.
    LogRing::append(bytes.constData(), static_cast<std::size_t>(bytes.size() - 1));

    QMutexLocker lock(&fileMutex());
    if (!g_file) {
        if (g_openFailed)
            return;
        const QString path = g_filePath.isEmpty() ? defaultFilePath() : g_filePath;
        if (path.isEmpty())
            return;
        g_file = new QFile;
        // Never through a link: one placed where the log goes would make
        // the program append to any file the user can write.
        QString why;
        if (!NoFollowFile::open(*g_file, path, O_CREAT | O_APPEND, QIODevice::WriteOnly | QIODevice::Append, QString(),
                                &why)) {
            std::fprintf(stderr, "orvanta: cannot open log file %s: %s\n", qPrintable(path), qPrintable(why));
            delete g_file;
            g_file = nullptr;
            g_openFailed = true;
            return;
        }
    }
    g_file->write(bytes);
    g_file->flush();
}

} // namespace Logger
