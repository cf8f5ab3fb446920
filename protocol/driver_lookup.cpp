#include "driver_lookup.h"

QStringList DriverLookup::defaultDriverPaths()
{
    return {
        QStringLiteral(":/drive/M1.0"), QStringLiteral(":/drive/M2.0"),
        QStringLiteral(":/drive/M4.0"), QStringLiteral(":/drive/K1.0"),
        QStringLiteral(":/drive/K2.0"), QStringLiteral(":/drive/W1.0"),
        QStringLiteral(":/drive/K4.0"),
    };
}

bool DriverLookup::registerDriver(const QString& path)
{
    return m_registry.registerDriver(path);
}

int DriverLookup::registerDefaultDrivers()
{
    int stored = 0;
    for (const QString& path : defaultDriverPaths()) {
        if (registerDriver(path))
            ++stored;
    }
    return stored;
}

QStringList DriverLookup::registeredVersions() const
{
    return m_registry.versions();
}

QByteArray DriverLookup::driverText(const QString& version) const
{
    return m_registry.text(version);
}

bool DriverLookup::loadDriver(const QString& version)
{
    return m_driver.load(m_registry.text(version));
}

bool DriverLookup::isDriverLoaded() const
{
    return m_driver.isLoaded();
}

QString DriverLookup::loadedDriverVersion() const
{
    return m_driver.version();
}

QString DriverLookup::lengthOfKey(const QString& key) const
{
    return m_driver.lengthOfKey(key);
}

QStringList DriverLookup::addrLengthOfIndex(const QString& index) const
{
    return m_driver.addrLengthOfIndex(index);
}

QString DriverLookup::addrOfTask(const QString& task) const
{
    return m_driver.addrOfTask(task);
}

QString DriverLookup::codeOfTask(const QString& task) const
{
    const bool wantKeyCode = m_macroEncoding || m_singleHotKey;
    return m_driver.codeOfTask(wantKeyCode ? leftHandKey(task) : task);
}

QString leftHandKey(const QString& name)
{
    if (name == QLatin1String("Alt"))
        return QStringLiteral("Left Alt");
    if (name == QLatin1String("Ctrl"))
        return QStringLiteral("Left Ctrl");
    if (name == QLatin1String("Shift"))
        return QStringLiteral("Left Shift");
    if (name == QLatin1String("Win"))
        return QStringLiteral("Left Windows");
    return name;
}
