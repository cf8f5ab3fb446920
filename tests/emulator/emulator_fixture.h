#pragma once

// Shared by the emulator tests: loads the built library the way the program
// does (QLibrary, entry points by name) and sets up a device-set file and a
// call log in a temporary folder.

#include "transport_entry_points.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibrary>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVector>

#include <cstring>
#include <string>
#include <vector>

// JSON written with single quotes, which read more easily inside C++ string
// literals; the texts used here hold no quote characters of their own.
inline QByteArray json(const char *text)
{
    return QByteArray(text).replace('\'', '"');
}

// Every entry point of the transport interface, by export name.
#define TRANSPORT_ENTRY_POINTS(X)                                                                                   \
    X(dcDevices) X(DeviceData) X(Reset) X(dcReadProperty) X(dcWriteProperty) X(dcReadAddress) X(dcWriteAddress)     \
    X(dcW1WriteAddress) X(dcNotifyRGBDevice) X(DeviceExist) X(EraseRom) X(WriteRom) X(CheckRom) X(FinishUpdateRom)  \
    X(Notify) X(dcW1WriteHotKey) X(dcUpdateVersion) X(Open_vidpid) X(ColseHandler)

struct Transport {
    QLibrary library;
#define DECLARE_ENTRY(name) decltype(&::name) name = nullptr;
    TRANSPORT_ENTRY_POINTS(DECLARE_ENTRY)
#undef DECLARE_ENTRY
    QStringList missing;

    // True when the library loaded and every entry point resolved.
    bool load()
    {
        library.setFileName(QStringLiteral(EMULATOR_LIBRARY));
        if (!library.load()) {
            missing << library.errorString();
            return false;
        }
#define RESOLVE_ENTRY(name)                                                                                         \
    name = reinterpret_cast<decltype(name)>(library.resolve(#name));                                                \
    if (!name)                                                                                                      \
        missing << QStringLiteral(#name);
        TRANSPORT_ENTRY_POINTS(RESOLVE_ENTRY)
#undef RESOLVE_ENTRY
        return missing.isEmpty();
    }
};

// One record of the device block, read back at its offsets.
struct BlockRecord {
    QByteArray idText; // the 14 bytes up to the first NUL
    QByteArray version;
    QByteArray serial;
    QByteArray mask;
    QString path;
    QString instanceId;
};

inline QByteArray fieldText(const unsigned char *field, int size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(field), size);
    const int nul = bytes.indexOf('\0');
    return nul < 0 ? bytes : bytes.left(nul);
}

inline QString fieldUtf16(const unsigned char *field)
{
    char16_t units[transport::kRecordTextBytes / 2];
    std::memcpy(units, field, sizeof units);
    int n = 0;
    while (n < transport::kRecordTextBytes / 2 && units[n])
        ++n;
    return QString::fromUtf16(units, n);
}

struct DeviceBlock {
    std::vector<unsigned char> bytes = std::vector<unsigned char>(transport::kDeviceBlockSize, 0xCC);
    int count() const { return bytes[0] | (bytes[1] << 8); }
    BlockRecord record(int i) const
    {
        const unsigned char *r = bytes.data() + 2 + i * transport::kDeviceRecordSize;
        BlockRecord out;
        out.idText = fieldText(r + transport::kRecordIdText, 14);
        out.version = QByteArray(reinterpret_cast<const char *>(r + transport::kRecordVersion), 2);
        out.serial = fieldText(r + transport::kRecordSerial, 14);
        out.mask = QByteArray(reinterpret_cast<const char *>(r + transport::kRecordMask), 2);
        out.path = fieldUtf16(r + transport::kRecordPath);
        out.instanceId = fieldUtf16(r + transport::kRecordInstanceId);
        return out;
    }
    QList<BlockRecord> records() const
    {
        QList<BlockRecord> out;
        for (int i = 0; i < count(); ++i)
            out << record(i);
        return out;
    }
};

// The filter the program passes: (1, 0xFFA0) and (1, 0xFFAA), the rest zero.
inline std::vector<std::uint16_t> programFilter()
{
    std::vector<std::uint16_t> filter(2 * transport::kFilterPairs, 0);
    filter[0] = 1;
    filter[1] = 0xFFA0;
    filter[2] = 1;
    filter[3] = 0xFFAA;
    return filter;
}

inline std::u16string u16(const QString &text)
{
    return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()), static_cast<size_t>(text.size()));
}

// A device-set file and a call log in a fresh folder, named by the
// environment for as long as the object lives.
class Scenario {
public:
    explicit Scenario(const QByteArray &deviceSet)
    {
        m_devices = m_dir.filePath(QStringLiteral("devices.json"));
        m_log = m_dir.filePath(QStringLiteral("transport.log"));
        writeDeviceSet(deviceSet);
        qputenv("ORVANTA_DEVICES", QFile::encodeName(m_devices));
        qputenv("ORVANTA_TRANSPORT_LOG", QFile::encodeName(m_log));
    }
    ~Scenario()
    {
        qunsetenv("ORVANTA_DEVICES");
        qunsetenv("ORVANTA_TRANSPORT_LOG");
    }

    QString devicesPath() const { return m_devices; }
    QString dirPath() const { return m_dir.path(); }

    void writeDeviceSet(const QByteArray &text) const
    {
        QFile file(m_devices);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(text);
    }
    QJsonObject deviceSet() const
    {
        QFile file(m_devices);
        if (!file.open(QIODevice::ReadOnly))
            return QJsonObject();
        return QJsonDocument::fromJson(file.readAll()).object();
    }
    QJsonObject savedDevice(int index) const
    {
        return deviceSet().value(QStringLiteral("devices")).toArray().at(index).toObject();
    }
    QList<QByteArray> logLines() const
    {
        QFile file(m_log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> lines = file.readAll().split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    void clearLog() const { QFile::remove(m_log); }

private:
    QTemporaryDir m_dir;
    QString m_devices;
    QString m_log;
};

// The derived path of interface position of device entry index: the same
// rule the device-set file documents.
inline QString derivedPath(int index, const char *vidPid, const char *collection, int position)
{
    QString path = QStringLiteral("\\\\?\\hid#%1").arg(QLatin1String(vidPid));
    if (*collection)
        path += QStringLiteral("&col") + QLatin1String(collection);
    return path + QStringLiteral("#7&%1&0&%2#{4d1e55b2-f16f-11cf-88cb-001111000030}")
                      .arg(QString::number(0x1A2B3C0 + index * 0x10F, 16))
                      .arg(position, 4, 10, QLatin1Char('0'));
}

inline QString bootLoaderPath(int index)
{
    return QStringLiteral("\\\\?\\hid#vid_258a&pid_ff12#8&%1&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}")
        .arg(QString::number(0x1A2B3C0 + index * 0x10F, 16));
}

// The path as a quoted JSON string, the way a log line carries it.
inline QByteArray jsonPath(const QString &path)
{
    return '"' + QString(path).replace(QLatin1String("\\"), QLatin1String("\\\\")).toUtf8() + '"';
}
