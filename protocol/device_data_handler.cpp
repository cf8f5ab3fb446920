#include "device_data_handler.h"

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

} // namespace

device_data_handler::device_data_handler(QObject* parent)
    : QObject(parent)
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
