#include "device_data_handler.h"

#include <QDebug>

#include "device_text.h"

namespace {

// The key a bare modifier name stands for when its key code is wanted.
QString leftHandKey(const QString& task)
{
    if (task == QLatin1String("Alt"))
        return QStringLiteral("Left Alt");
    if (task == QLatin1String("Ctrl"))
        return QStringLiteral("Left Ctrl");
    if (task == QLatin1String("Shift"))
        return QStringLiteral("Left Shift");
    if (task == QLatin1String("Win"))
        return QStringLiteral("Left Windows");
    return task;
}

// Bytes per write of a block written in chunks.
constexpr int kChunkItems = 10;
// Mode of a W1 block write.
constexpr quint8 kW1BlockWrite = 7;

} // namespace

// The device functions are a child, so that they move to the worker thread
// together with the handler.
device_data_handler::device_data_handler(QObject* parent)
    : QObject(parent)
    , m_functions(this)
{
}

QStringList device_data_handler::defaultDriverPaths()
{
    return {
        QStringLiteral(":/drive/M1.0"), QStringLiteral(":/drive/M2.0"),
        QStringLiteral(":/drive/M4.0"), QStringLiteral(":/drive/K1.0"),
        QStringLiteral(":/drive/K2.0"), QStringLiteral(":/drive/W1.0"),
        QStringLiteral(":/drive/K4.0"),
    };
}

bool device_data_handler::registerDriver(const QString& path)
{
    return m_registry.registerDriver(path);
}

int device_data_handler::registerDefaultDrivers()
{
    int stored = 0;
    for (const QString& path : defaultDriverPaths()) {
        if (registerDriver(path))
            ++stored;
    }
    return stored;
}

QStringList device_data_handler::registeredVersions() const
{
    return m_registry.versions();
}

QByteArray device_data_handler::driverText(const QString& version) const
{
    return m_registry.text(version);
}

bool device_data_handler::loadDriver(const QString& version)
{
    return m_driver.load(m_registry.text(version));
}

bool device_data_handler::isDriverLoaded() const
{
    return m_driver.isLoaded();
}

QString device_data_handler::loadedDriverVersion() const
{
    return m_driver.version();
}

QString device_data_handler::lengthOfKey(const QString& key) const
{
    return m_driver.lengthOfKey(key);
}

QStringList device_data_handler::addrLengthOfIndex(const QString& index) const
{
    return m_driver.addrLengthOfIndex(index);
}

QString device_data_handler::addrOfTask(const QString& task) const
{
    return m_driver.addrOfTask(task);
}

QString device_data_handler::codeOfTask(const QString& task) const
{
    const bool wantKeyCode = m_macroEncoding || m_singleHotKey;
    return m_driver.codeOfTask(wantKeyCode ? leftHandKey(task) : task);
}

void device_data_handler::setMacroEncoding(bool on)
{
    m_macroEncoding = on;
}

bool device_data_handler::macroEncoding() const
{
    return m_macroEncoding;
}

void device_data_handler::setSingleHotKey(bool on)
{
    m_singleHotKey = on;
}

bool device_data_handler::singleHotKey() const
{
    return m_singleHotKey;
}

DeviceFunctions& device_data_handler::deviceFunctions()
{
    return m_functions;
}

bool device_data_handler::writeLighting(const QString& key, const QString& driverVersion,
                                        const QStringList& items)
{
    m_lightingKey = key;
    DriverDefinition definition;
    if (!definition.load(m_registry.text(driverVersion)))
        return false;
    m_lighting.apply(items);
    return m_functions.notifyRgb(key, reinterpret_cast<const unsigned char*>(m_lighting.bytes().constData()));
}

QString device_data_handler::lightingKey() const
{
    return m_lightingKey;
}

QByteArray device_data_handler::lightingFrame() const
{
    return m_lighting.bytes();
}

bool device_data_handler::writeBlockInChunks(const QString& key, const QString& startAddress,
                                             const QString& data)
{
    const QStringList items = DeviceText::listItems(data);
    const quint32 start = DeviceText::hexValue(startAddress);
    for (int sent = 0; sent < items.size(); sent += kChunkItems) {
        const QStringList chunk = items.mid(sent, kChunkItems);
        const QString address = QString::number(start + static_cast<quint32>(sent), 16);
        qDebug() << "writeBlockInChunks: chunk at" << address;
        if (!m_functions.writeW1Address(key, address, chunk.join(QLatin1Char(',')),
                                        QString::number(chunk.size(), 16), kW1BlockWrite))
            return false;
    }
    return true;
}
