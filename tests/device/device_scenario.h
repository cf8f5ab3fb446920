#pragma once

// Shared by the device tests: a fresh device-set file and call log for the
// emulator library, which the code under test loads through QLibrary as the
// program does (ORVANTA_TRANSPORT names the built library).

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QTemporaryDir>

class DeviceScenario
{
public:
    // devices: the members of the file's "devices" array, as JSON text.
    explicit DeviceScenario(const QByteArray& devices)
    {
        m_devices = m_dir.filePath(QStringLiteral("devices.json"));
        m_log = m_dir.filePath(QStringLiteral("transport.log"));
        QFile file(m_devices);
        if (!file.open(QIODevice::WriteOnly) || file.write("{\"devices\":[" + devices + "]}") < 0)
            qFatal("cannot write the device set");
        file.close();
        qputenv("ORVANTA_TRANSPORT", EMULATOR_LIBRARY);
        qputenv("ORVANTA_DEVICES", QFile::encodeName(m_devices));
        qputenv("ORVANTA_TRANSPORT_LOG", QFile::encodeName(m_log));
    }
    ~DeviceScenario()
    {
        qunsetenv("ORVANTA_DEVICES");
        qunsetenv("ORVANTA_TRANSPORT_LOG");
    }

    // The logged calls, optionally only those of one entry point.
    QList<QJsonObject> calls(const QString& name = QString()) const
    {
        QList<QJsonObject> out;
        QFile file(m_log);
        if (!file.open(QIODevice::ReadOnly))
            return out;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QJsonObject call = QJsonDocument::fromJson(line).object();
            if (!call.isEmpty() && (name.isEmpty() || call.value("call").toString() == name))
                out << call;
        }
        return out;
    }
    void clearLog() const { QFile::remove(m_log); }

    QJsonObject savedDevice(int index) const
    {
        QFile file(m_devices);
        if (!file.open(QIODevice::ReadOnly))
            return QJsonObject();
        return QJsonDocument::fromJson(file.readAll()).object().value("devices").toArray().at(index).toObject();
    }

private:
    QTemporaryDir m_dir;
    QString m_devices;
    QString m_log;
};

// A mouse keyed by vendor and product id, with one vendor interface.
inline QByteArray plainMouse(const char* productId, const QByteArray& properties = "{}")
{
    return QByteArray(R"({"vendorId":"258A","productId":")") + productId
        + R"(","interfaces":[{"collection":"02"}],"properties":)" + properties + "}";
}

// A W1-family mouse: report interface (collection 05) and configuration
// interface (collection 07).
inline QByteArray w1Mouse(const char* reportedId, const char* productId, const QByteArray& extra = "")
{
    return QByteArray(R"({"reportedId":")") + reportedId + R"(","vendorId":"258A","productId":")" + productId
        + R"(","interfaces":[{"collection":"05","usagePage":"0xFFAA"},{"collection":"07"}])" + extra + "}";
}
