#include "device_set_snapshot.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>

namespace {

// Vendor and product ids are written as hexadecimal texts ("258A", "0x258a")
// or as JSON numbers; spellings of the same value give the same identity.
QString idText(const QJsonValue &value)
{
    qint64 number = -1;
    if (value.isDouble()) {
        number = static_cast<qint64>(value.toDouble());
    } else if (value.isString()) {
        QString text = value.toString().trimmed();
        if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            text = text.mid(2);
        bool ok = false;
        number = text.toLongLong(&ok, 16);
        if (!ok)
            return value.toString();
    } else {
        return QString();
    }
    return QStringLiteral("%1").arg(number, 4, 16, QLatin1Char('0')).toUpper();
}

QString identityOf(int position, const QJsonObject &device)
{
    if (device.value(QLatin1String("bootLoader")).toBool(false))
        return QStringLiteral("%1 boot-loader").arg(position);
    // The interfaces as written; QJsonDocument sorts object members, so the
    // text does not depend on the member order in the file.
    const QByteArray interfaces =
        QJsonDocument(device.value(QLatin1String("interfaces")).toArray()).toJson(QJsonDocument::Compact);
    return QStringLiteral("%1 %2:%3 id=%4 %5")
        .arg(position)
        .arg(idText(device.value(QLatin1String("vendorId"))), idText(device.value(QLatin1String("productId"))),
             device.value(QLatin1String("reportedId")).toString(), QString::fromUtf8(interfaces));
}

QStringList sorted(QStringList list)
{
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

DeviceSetSnapshot deviceSetSnapshot(const QByteArray &json)
{
    DeviceSetSnapshot snapshot;
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return snapshot;
    const QJsonArray devices = document.object().value(QLatin1String("devices")).toArray();
    for (int i = 0; i < devices.size(); ++i) {
        if (!devices.at(i).isObject())
            continue;
        const QJsonObject device = devices.at(i).toObject();
        if (!device.value(QLatin1String("present")).toBool(true))
            continue;
        snapshot.insert(identityOf(i, device));
    }
    return snapshot;
}

DeviceSetSnapshot readDeviceSetSnapshot(const QString &filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return DeviceSetSnapshot();
    return deviceSetSnapshot(file.readAll());
}

DeviceSetChange diffDeviceSets(const DeviceSetSnapshot &before, const DeviceSetSnapshot &after)
{
    DeviceSetChange change;
    change.removed = sorted(QSet<QString>(before).subtract(after).values());
    change.arrived = sorted(QSet<QString>(after).subtract(before).values());
    return change;
}
