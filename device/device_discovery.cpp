#include "device_discovery.h"

#include <QRegularExpression>

#include "byte_list_text.h"

namespace DeviceDiscovery {

PathParts pathParts(const QString& path)
{
    // Case-sensitive, as the platform spells HID paths; the last match wins.
    static const QRegularExpression pattern(QStringLiteral("vid_([^&#]*)&pid_([^&#]*).*&col([^&#]*)"));
    PathParts parts;
    QRegularExpressionMatchIterator it = pattern.globalMatch(path);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        parts.vendorProduct = (match.captured(1) + match.captured(2)).toUpper();
        parts.collection = match.captured(3);
    }
    return parts;
}

bool isExcludedKey(const QString& key)
{
    return key == QLatin1String("258A0013") || key == QLatin1String("258A0012")
        || key == QLatin1String("258A0016");
}

DiscoveredDevices classify(const QVector<DeviceBlockRecord>& records)
{
    DiscoveredDevices found;
    for (const DeviceBlockRecord& r : records) {
        const PathParts parts = pathParts(r.path);
        if (parts.collection.isEmpty())
            continue;
        const QString key = r.reportedId.isEmpty() ? parts.vendorProduct : r.reportedId;

        QJsonObject record;
        record.insert(QStringLiteral("DeviceId"), r.instanceId);
        record.insert(QStringLiteral("DevicePath"), r.path);
        record.insert(QStringLiteral("Sn"), r.serial);
        record.insert(QStringLiteral("Mask"), r.mask);
        record.insert(QStringLiteral("LastVersionNum"), r.lastVersionNum);
        record.insert(QStringLiteral("ReadDevice"), QStringLiteral("DisableRead"));
        record.insert(QStringLiteral("Version"), key);
        // A real device says what may be sent to it; emulated ones say nothing.
        if (!r.access.isEmpty())
            record.insert(QStringLiteral("Access"), r.access);

        const bool family = ByteListText::isW1FamilyKey(key);
        if (family && parts.collection == QLatin1String("07")) {
            found.devices.insert(key, record);
        } else if (family && parts.collection == QLatin1String("05")) {
            // The report interface: read, never configured.
            record.insert(QStringLiteral("ReadDevice"), QStringLiteral("EnableRead"));
            record.insert(QStringLiteral("ReadDeviceID"), key);
            found.readable.insert(key, record);
        } else if (!key.isEmpty() && !isExcludedKey(key)) {
            found.devices.insert(key, record);
        }
    }
    return found;
}

} // namespace DeviceDiscovery
