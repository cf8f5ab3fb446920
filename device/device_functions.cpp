#include "device_functions.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <cstring>

#include "byte_list_text.h"
#include "device_maps.h"
#include "device_report_sender.h"
#include "key_name_tables.h"
#include "logging.h"
#include "value_decoders.h"

namespace {

// W1-family devices drop a write that follows the previous one too closely.
constexpr unsigned long kW1WritePauseMs = 25;

// The first size bytes after the response header are all zero.
bool blankAfterHeader(const devices_handler::TransferBuffer& buffer, int size)
{
    const int start = transport::kResponseHeaderSize;
    if (size < 0 || start + size > transport::kTransferSize)
        return false;
    for (int i = 0; i < size; ++i) {
        if (buffer[static_cast<size_t>(start + i)] != 0)
            return false;
    }
    return true;
}

// Copies a byte list into a zeroed buffer; false when it would not fit.
bool fillBuffer(devices_handler::TransferBuffer& buffer, const QByteArray& bytes)
{
    buffer.fill(0);
    if (bytes.size() > transport::kTransferSize)
        return false;
    std::memcpy(buffer.data(), bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

bool fillBuffer(devices_handler::TransferBuffer& buffer, const unsigned char* data, int size)
{
    buffer.fill(0);
    if (!data || size < 0 || size > transport::kTransferSize)
        return false;
    std::memcpy(buffer.data(), data, static_cast<size_t>(size));
    return true;
}

} // namespace

DeviceFunctions::DeviceFunctions(QObject* parent)
    : devices_handler(parent)
{
    const QStringList& names = KeyNameTables::keyNameList();
    for (int i = 0; i < names.size(); ++i)
        m_keyNames.insert(i + 1, names.at(i));
}

DeviceMap DeviceFunctions::listDevices()
{
    QByteArray block;
    if (!dcDevices(&block))
        qDebug() << "listDevices: dcDevices failed";
    const DiscoveredDevices found = DeviceDiscovery::classify(DeviceBlock::records(block));
    DeviceMaps::replace(found);
    return found.devices;
}

bool DeviceFunctions::startReading()
{
    QStringList paths;
    QVector<quint32> ids;
    const DeviceMap readable = DeviceMaps::readable();
    for (auto it = readable.cbegin(); it != readable.cend(); ++it) {
        const QJsonObject& record = it.value();
        if (record.value(QStringLiteral("ReadDevice")).toString() != QLatin1String("EnableRead"))
            continue;
        if (paths.size() == transport::kReadTableRows) {
            LOG_INFO(QStringLiteral("Application Info: report table full, device %1 is not read").arg(it.key()));
            continue;
        }
        paths << record.value(QStringLiteral("DevicePath")).toString();
        ids << ByteListText::hexValue(record.value(QStringLiteral("ReadDeviceID")).toString());
    }
    return DeviceData(paths, ids, DeviceReports::callback());
}

QString DeviceFunctions::pathOf(const QString& key)
{
    return DeviceMaps::deviceRecord(key).value(QStringLiteral("DevicePath")).toString();
}

QString DeviceFunctions::readProperty(const QString& key, int id, int size)
{
    const QString path = pathOf(key);
    if (path.isEmpty() || size < 0 || size > transport::kTransferSize)
        return QString();
    TransferBuffer buffer{};
    if (!dcReadProperty(path, buffer, id, size))
        return QString();
    return ByteListText::prefixedByteList(QByteArray(reinterpret_cast<const char*>(buffer.data()), size));
}

bool DeviceFunctions::writeProperty(const QString& key, int id, const QString& data, int size)
{
    const QString path = pathOf(key);
    const QStringList items = ByteListText::listItems(data);
    if (path.isEmpty() || items.size() != size)
        return false;
    TransferBuffer buffer;
    if (!fillBuffer(buffer, ByteListText::bytesOfList(items)))
        return false;
    return dcWriteProperty(path, buffer, id, size);
}

bool DeviceFunctions::writeProperty(const QString& key, int id, const unsigned char* data, int size)
{
    const QString path = pathOf(key);
    TransferBuffer buffer;
    if (path.isEmpty() || !fillBuffer(buffer, data, size))
        return false;
    return dcWriteProperty(path, buffer, id, size);
}

bool DeviceFunctions::isPropertyBlank(const QString& key, int id, int size)
{
    const QString path = pathOf(key);
    if (path.isEmpty() || size < 0 || size > transport::kTransferSize)
        return false;
    // A property read answers the property's bytes without a header: every
    // byte of the unit counts, the first ones too (a short macro lives
    // there).
    TransferBuffer buffer{};
    if (!dcReadProperty(path, buffer, id, size))
        return false;
    for (int i = 0; i < size; ++i) {
        if (buffer[static_cast<size_t>(i)] != 0)
            return false;
    }
    return true;
}

bool DeviceFunctions::isAddressBlank(const QString& key, const QString& address, int size)
{
    const QString path = pathOf(key);
    if (path.isEmpty())
        return false;
    TransferBuffer buffer{};
    if (!dcReadAddress(path, buffer, ByteListText::hexValue(address), size))
        return false;
    return blankAfterHeader(buffer, size);
}

bool DeviceFunctions::writeAddress(const QString& key, const QString& address, int size, const QString& data)
{
    const QString path = pathOf(key);
    const QStringList items = ByteListText::listItems(data);
    if (path.isEmpty() || items.size() != size)
        return false;
    TransferBuffer buffer;
    if (!fillBuffer(buffer, ByteListText::bytesOfList(items)))
        return false;
    return dcWriteAddress(path, buffer, ByteListText::hexValue(address), size);
}

bool DeviceFunctions::writeAddress(const QString& key, const QString& address, int size,
                                   const unsigned char* data)
{
    const QString path = pathOf(key);
    TransferBuffer buffer;
    if (path.isEmpty() || !fillBuffer(buffer, data, size))
        return false;
    return dcWriteAddress(path, buffer, ByteListText::hexValue(address), size);
}

bool DeviceFunctions::writeW1Address(const QString& key, const QString& address, const QString& data,
                                     const QString& length, quint8 mode)
{
    const QString path = pathOf(key);
    const QStringList items = ByteListText::listItems(data);
    const quint32 count = ByteListText::hexValue(length);
    if (path.isEmpty() || count != static_cast<quint32>(items.size()))
        return false;
    TransferBuffer buffer;
    if (!fillBuffer(buffer, ByteListText::bytesOfList(items)))
        return false;
    if (ByteListText::isW1FamilyKey(key))
        QThread::msleep(kW1WritePauseMs);
    return dcW1WriteAddress(path, buffer, ByteListText::hexValue(address), items.size(), mode);
}

bool DeviceFunctions::resetDevice(const QString& key)
{
    const QString path = pathOf(key);
    return !path.isEmpty() && Reset(path, 2);
}

bool DeviceFunctions::notifyRgb(const QString& key, const unsigned char* frame)
{
    const QString path = pathOf(key);
    return !path.isEmpty() && dcNotifyRGBDevice(path, frame);
}

QString DeviceFunctions::readDpi(const QString& key, int slot, bool detail)
{
    const ValueDecoders::Dpi dpi = ValueDecoders::dpi(readProperty(key, ValueDecoders::dpiProperty(slot), 8));
    QJsonObject reply;
    reply.insert(QStringLiteral("DpiXVal"), QString::number(dpi.x));
    reply.insert(QStringLiteral("DpiYVal"), QString::number(dpi.y));
    if (detail) {
        reply.insert(QStringLiteral("DpiModeVal"), QString::number(dpi.mode));
        reply.insert(QStringLiteral("DpiRGBVal"), dpi.colour);
    }
    return QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact));
}

std::optional<QString> DeviceFunctions::readDpiStages(const QString& key, const QList<int>& stageSlots)
{
    if (pathOf(key).isEmpty())
        return std::nullopt;
    QJsonArray stages;
    const QString current = ValueDecoders::single(readProperty(key, 48, 1));
    for (const int slot : stageSlots) {
        const ValueDecoders::Dpi dpi = ValueDecoders::dpi(readProperty(key, ValueDecoders::dpiProperty(slot), 8));
        stages.append(QJsonObject{{QStringLiteral("DpiXVal"), QString::number(dpi.x)},
                                  {QStringLiteral("DpiYVal"), QString::number(dpi.y)},
                                  {QStringLiteral("DpiModeVal"), QString::number(dpi.mode)},
                                  {QStringLiteral("DpiRGBVal"), dpi.colour}});
    }
    const QJsonObject reply{{QStringLiteral("Current"), current}, {QStringLiteral("Stages"), stages}};
    return QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact));
}

QString DeviceFunctions::readSettingsSummary(const QString& key)
{
    const QString slot = readProperty(key, 48, 1);
    const QString reportRate = readProperty(key, 40, 1);
    const int slotValue = ValueDecoders::single(slot).toInt();
    const QString dpiBytes = readProperty(key, ValueDecoders::dpiProperty(slotValue), 8);
    const QString light = readProperty(key, 42, 10);
    const QString jitter = readProperty(key, 43, 10);
    const QString sound = readProperty(key, 44, 10);

    const ValueDecoders::Dpi dpi = ValueDecoders::dpi(dpiBytes);
    QString text;
    text += QStringLiteral("reporVal:") + ValueDecoders::single(reportRate) + QLatin1Char(',');
    text += QStringLiteral("curDpi:") + ValueDecoders::single(slot) + QLatin1Char(',');
    text += QStringLiteral("DpiXVal:") + QString::number(dpi.x) + QLatin1Char(',');
    text += QStringLiteral("DpiYVal:") + QString::number(dpi.y) + QLatin1Char(',');
    text += QStringLiteral("lightVal:") + ValueDecoders::lighting(light) + QLatin1Char(',');
    text += QStringLiteral("jittersVal:") + ValueDecoders::pair(jitter) + QLatin1Char(',');
    text += QStringLiteral("soundVal:") + ValueDecoders::pair(sound) + QLatin1Char(',');
    return text;
}

const QMap<int, QString>& DeviceFunctions::keyNames() const
{
    return m_keyNames;
}
