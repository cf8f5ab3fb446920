#include "device_commands.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include "device_family.h"
#include "device_functions.h"
#include "logging.h"

namespace DeviceCommands {

std::optional<QString> getDevicesList(DeviceFunctions& functions, DeviceMap* windowCopy)
{
    const DeviceMap devices = functions.listDevices();
    if (windowCopy)
        *windowCopy = devices;
    functions.startReading();
    if (devices.isEmpty())
        return std::nullopt;
    QJsonArray records;
    for (const QJsonObject& record : devices)
        records.append(record);
    return QString::fromUtf8(QJsonDocument(records).toJson(QJsonDocument::Compact));
}

QString getVirtualDevice()
{
    QFile file(QStringLiteral(":/drive/Virtual"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

Reply restDevice(DeviceFunctions& functions, const QString& version)
{
    const DeviceFamily* family = DeviceFamilies::ofDeviceKey(version);
    const bool done = family && family->resetByAddress
        ? functions.writeW1Address(version, QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1"), 9)
        : functions.resetDevice(version);
    Reply reply;
    reply.success = done;
    reply.text = done ? QStringLiteral("RestDevice success") : QStringLiteral("RestDevice failed");
    return reply;
}

QString readDevicesDpiVal(DeviceFunctions& functions, const QString& version, int dpiIndex, bool detail)
{
    return functions.readDpi(version, dpiIndex, detail);
}

std::optional<QString> readDevicesDpiStages(DeviceFunctions& functions, const QString& version,
                                            const QString& dpiIndexes)
{
    const QStringList items = dpiIndexes.split(QLatin1Char(','));
    if (dpiIndexes.trimmed().isEmpty() || items.size() > kMaxDpiStages)
        return std::nullopt;
    QList<int> stageSlots;
    for (const QString& item : items) {
        bool ok = false;
        const int slot = item.trimmed().toInt(&ok, 10);
        if (!ok || slot < 0 || slot > 255)
            return std::nullopt;
        stageSlots << slot;
    }
    return functions.readDpiStages(version, stageSlots);
}

QString unwrapLightingData(const QString& data)
{
    if (data.size() <= 4)
        return QString();
    QString inner = data.mid(2, data.size() - 4);
    inner.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    return inner;
}

QStringList lightingItems(const QString& unwrapped)
{
    if (unwrapped.isEmpty())
        return {};
    return unwrapped.split(QStringLiteral("\",\""));
}

QString getWindowsMouseConfig(DeviceFunctions& functions, const QString& version,
                              const QString& pointerSettings)
{
    const QString summary = functions.readSettingsSummary(version) + pointerSettings;
    LOG_INFO(QStringLiteral("Application Info: GetWindowsMouseConfig ") + summary);
    return summary;
}

} // namespace DeviceCommands
