#include "device_data_handler.h"

#include "device_family.h"
#include "keyboard_profile_write.h"
#include "profile_store.h"
#include "property_write.h"
#include "w1_write.h"

// The device functions are a child, so that they move to the worker thread
// together with the handler.
device_data_handler::device_data_handler(QObject* parent)
    : QObject(parent)
    , m_functions(this)
    , m_write(m_lookup, m_functions)
{
}

bool device_data_handler::registerDriver(const QString& path)
{
    return m_lookup.registerDriver(path);
}

int device_data_handler::registerDefaultDrivers()
{
    return m_lookup.registerDefaultDrivers();
}

QStringList device_data_handler::registeredVersions() const
{
    return m_lookup.registeredVersions();
}

QByteArray device_data_handler::driverText(const QString& version) const
{
    return m_lookup.driverText(version);
}

bool device_data_handler::loadDriver(const QString& version)
{
    return m_lookup.loadDriver(version);
}

QString device_data_handler::loadedDriverVersion() const
{
    return m_lookup.loadedDriverVersion();
}

QString device_data_handler::lengthOfKey(const QString& key) const
{
    return m_lookup.lengthOfKey(key);
}

QStringList device_data_handler::addrLengthOfIndex(const QString& index) const
{
    return m_lookup.addrLengthOfIndex(index);
}

QString device_data_handler::addrOfTask(const QString& task) const
{
    return m_lookup.addrOfTask(task);
}

QString device_data_handler::codeOfTask(const QString& task) const
{
    return m_lookup.codeOfTask(task);
}

bool device_data_handler::writeLighting(const QString& key, const QString& driverVersion,
                                        const QStringList& items)
{
    m_lightingKey = key;
    if (!m_lookup.hasDriver(driverVersion))
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

void device_data_handler::setProfileSource(const ProfileSource* source)
{
    m_profileSource = source;
}

const ProfileSource* device_data_handler::profileSource() const
{
    return m_profileSource;
}

QString device_data_handler::profileForDevice(const QString& key) const
{
    return m_profiles.profileFor(m_profileSource, key);
}

bool device_data_handler::writeDevice(const QString& Version, const QString& DriverVersion, const QString& Index,
                                      const QString& Task, const QString& TaskType, const QString& TaskCount,
                                      const QString& TaskDelay, const QString& TaskManner)
{
    const WriteRequest request{Version, DriverVersion, Index, Task, TaskType, TaskCount, TaskDelay, TaskManner};
    m_write.begin(Version, DriverVersion);
    // The family named decides the definition; the device's own family may
    // decide the writer (a device of the W1 range is written by address).
    const DeviceFamily* named = DeviceFamilies::find(DriverVersion);
    const DeviceFamily* family = DeviceFamilies::forWrite(Version, DriverVersion);
    if (!named || !family)
        return false;

    // A keyboard written as a whole profile mode, with its family's
    // definition (K3.0 with K2.0's).
    if (family->writer == DeviceFamily::Writer::KeyboardProfile) {
        if (!m_write.loadProfile(profileForDevice(Version)) || !m_lookup.loadDriver(family->definition))
            return false;
        m_write.setKeyboardMode(family->macroStore == DeviceFamily::MacroStore::Units);
        return writeKeyboardProfile(m_write.profile(), m_write.encoder(), m_functions, request);
    }

    // Written by address, a device needs no profile.
    const bool byAddress = family->writer == DeviceFamily::Writer::Address;
    if (!m_write.loadProfile(profileForDevice(Version)) && !byAddress)
        return false;
    if (!m_lookup.loadDriver(named->definition))
        return false;
    return byAddress ? writeW1Assignment(m_lookup, m_write.encoder(), m_functions, request)
                     : writePropertyAssignment(m_lookup, m_write.encoder(), m_functions, request);
}

void device_data_handler::slot_writeDevice(QString Version, QString DriveVersion, QString Index, QString Task,
                                           QString TaskType, QString PlayCount, QString PlayDelay,
                                           QString PlayManner)
{
    emit SigcallbackReasult(
        writeDevice(Version, DriveVersion, Index, Task, TaskType, PlayCount, PlayDelay, PlayManner));
}

void device_data_handler::setHotKeyPause(W1HotKeyWriter::Pause pause)
{
    m_write.encoder().setHotKeyPause(std::move(pause));
}
