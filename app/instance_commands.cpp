#include "instance_commands.h"

#include <QRegularExpression>

namespace InstanceCommands {

QByteArray command(const QString& name)
{
    return QStringLiteral("CMD:%1;").arg(name).toLocal8Bit();
}

QByteArray answer(qint64 processId)
{
    return QStringLiteral("RES:%1;").arg(processId).toUtf8();
}

QStringList takeSegments(QByteArray* buffer)
{
    const int last = buffer->lastIndexOf(';');
    if (last < 0)
        return QStringList();
    const QString complete = QString::fromLocal8Bit(buffer->left(last));
    *buffer = buffer->mid(last + 1);
    return complete.split(QLatin1Char(';'));
}

bool commandName(const QString& segment, QString* name)
{
    if (!segment.startsWith(QLatin1String("CMD:")))
        return false;
    *name = segment.mid(4);
    return true;
}

bool parseAnswer(const QString& buffer, quint64* processId)
{
    static const QRegularExpression pattern(QStringLiteral("RES:(\\d+);"));
    if (!pattern.match(buffer).hasMatch())
        return false;
    bool ok = false;
    const quint64 id = buffer.mid(4, buffer.size() - 5).toULongLong(&ok);
    *processId = ok ? id : 0;
    return true;
}

} // namespace InstanceCommands
