#include "frame_log.h"

#include "no_follow_file.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>

#include <fcntl.h>

QString decisionName(Decision decision)
{
    switch (decision) {
    case Decision::Refuse: return QStringLiteral("refused");
    case Decision::DryRun: return QStringLiteral("dry-run");
    case Decision::Send: return QStringLiteral("sent");
    }
    return QStringLiteral("refused");
}

QByteArray frameLogLine(const QString& op, const QString& node, const std::uint8_t* frame, std::size_t size,
                        Decision decision, const QString& why)
{
    const QByteArray bytes = frame ? QByteArray(reinterpret_cast<const char*>(frame), static_cast<int>(size)) : QByteArray();
    QJsonObject line{{QStringLiteral("op"), op},
                     {QStringLiteral("node"), node},
                     {QStringLiteral("report"), bytes.isEmpty() ? 0 : static_cast<int>(static_cast<std::uint8_t>(bytes.at(0)))},
                     {QStringLiteral("length"), static_cast<int>(size)},
                     {QStringLiteral("hex"), QString::fromLatin1(bytes.toHex(' ').toUpper())},
                     {QStringLiteral("decision"), decisionName(decision)}};
    if (!why.isEmpty())
        line.insert(QStringLiteral("why"), why);
    return QJsonDocument(line).toJson(QJsonDocument::Compact);
}

FrameLog::FrameLog(const QString& path) : m_path(path) {}

void FrameLog::append(const QByteArray& line)
{
    if (m_path.isEmpty())
        return;
    QMutexLocker lock(&m_mutex);
    QFile file;
    if (NoFollowFile::open(file, m_path, O_CREAT | O_APPEND, QIODevice::WriteOnly | QIODevice::Append, QString()))
        file.write(line + '\n');
}
