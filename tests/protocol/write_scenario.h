#pragma once

// Shared by the writeDevice tests: an emulated device set, a handler with the
// shipped Driver definitions and the devices listed, and the files the page
// would have read, where the profiles are.

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>

#include "device_data_handler.h"
#include "device_scenario.h"
#include "profile_source.h"

// Page-read files by path, readable from the worker thread.
class ReadFiles : public ProfileSource
{
public:
    void store(const QString& path, const QString& text)
    {
        QMutexLocker lock(&m_mutex);
        m_texts.insert(path, text);
    }
    QMap<QString, QString> entries() const override
    {
        QMutexLocker lock(&m_mutex);
        return m_texts;
    }

private:
    mutable QMutex m_mutex;
    QMap<QString, QString> m_texts;
};

// A profile document for a device: Conf/Key Index 2 names it; modes is the
// XML of the Mode elements.
inline QString profileText(const QString& deviceKey, const QString& modes = QString())
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Configuration>\n"
                          "  <Conf><Key Index=\"1\" Value=\"Profile 1\"/><Key Index=\"2\" Value=\"%1\"/></Conf>\n"
                          "%2</Configuration>\n")
        .arg(deviceKey, modes);
}

class WriteScenario
{
public:
    // devices: JSON objects of the device set, joined by ",". profileKeys:
    // the devices that get a profile (without modes) in the cache.
    WriteScenario(const QByteArray& devices, const QStringList& profileKeys)
        : m_device(devices)
    {
        handler.registerDefaultDrivers();
        handler.deviceFunctions().listDevices();
        handler.setProfileSource(&cache);
        handler.setHotKeyPause([this](int milliseconds) { pauses << milliseconds; });
        for (const QString& key : profileKeys)
            addProfile(key, profileText(key));
        m_device.clearLog();
    }

    void addProfile(const QString& deviceKey, const QString& text)
    {
        cache.store(QStringLiteral("/profiles/%1.xml").arg(deviceKey), text);
    }

    bool write(const QString& version, const QString& driverVersion, const QString& index, const QString& task,
               const QString& taskType, const QString& count = QStringLiteral("1"),
               const QString& delay = QStringLiteral("0"), const QString& manner = QStringLiteral("0"))
    {
        return handler.writeDevice(version, driverVersion, index, task, taskType, count, delay, manner);
    }

    QList<QJsonObject> calls(const QString& name = QString()) const { return m_device.calls(name); }
    // The writes of every kind, in order.
    QList<QJsonObject> writes() const
    {
        QList<QJsonObject> out;
        for (const QJsonObject& call : m_device.calls()) {
            const QString name = call.value("call").toString();
            if (name.startsWith(QLatin1String("dcWrite")) || name.startsWith(QLatin1String("dcW1Write")))
                out << call;
        }
        return out;
    }
    void clearLog() const { m_device.clearLog(); }
    const DeviceScenario& device() const { return m_device; }

    DeviceScenario m_device;
    ReadFiles cache;
    device_data_handler handler;
    QList<int> pauses;
};

// n bytes "00" joined by ",".
inline QString zeroBytes(int count)
{
    QStringList items;
    for (int i = 0; i < count; ++i)
        items << QStringLiteral("00");
    return items.join(QLatin1Char(','));
}

// The data of a 200-byte macro slot: the given bytes and zeros after them.
inline QString slotData(const QString& bytes)
{
    return bytes + QLatin1Char(',') + zeroBytes(200 - bytes.split(QLatin1Char(',')).size());
}

// The default set's devices by family, each keyed as the program keys it.
inline QByteArray familyDevices()
{
    return plainMouse("1007") + "," + plainMouse("1008") + "," + plainMouse("100A") + "," + plainMouse("0049")
        + "," + plainMouse("0150") + "," + plainMouse("0151") + "," + w1Mouse("25A7FA91", "1011");
}

const QString kM1 = QStringLiteral("258A1007");
const QString kM2 = QStringLiteral("258A1008");
const QString kM4 = QStringLiteral("258A100A");
const QString kK1 = QStringLiteral("258A0049");
const QString kK2 = QStringLiteral("258A0150");
const QString kK3 = QStringLiteral("258A0151");
const QString kW1 = QStringLiteral("25A7FA91");
