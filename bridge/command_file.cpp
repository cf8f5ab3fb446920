#include "command_file.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>

namespace CommandFile {

bool write(QIODevice& device, const QString& commandText)
{
    QDataStream out(&device);
    out.setVersion(QDataStream::Qt_5_1);
    out << kMagic << commandText.toUtf8().toBase64();
    return out.status() == QDataStream::Ok;
}

std::optional<QString> read(QIODevice& device)
{
    QDataStream in(&device);
    in.setVersion(QDataStream::Qt_5_1);
    quint32 magic = 0;
    in >> magic;
    if (in.status() != QDataStream::Ok || magic != kMagic)
        return std::nullopt;
    QByteArray encoded;
    in >> encoded;
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    return QString::fromUtf8(QByteArray::fromBase64(encoded));
}

} // namespace CommandFile
