#include "device_data_handler.h"

#include <QDebug>

#include "device_text.h"
#include "keyboard_profile_write.h"
#include "macro_block_w1.h"
#include "macro_encoding.h"
#include "macro_steps.h"
#include "profile_store.h"
#include "property_write.h"
#include "w1_write.h"

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
    , m_encoder(*this)
{
    m_encoder.setMacroReference(
        [this](const QString& steps, const QString& count) { return storeMacroSteps(steps, count); });
    // The block holds no repeat count: the W1 write puts it into the
    // button's macro reference.
    m_encoder.setW1MacroWriter([this](const QString& deviceId, const QString& index, const QString& steps,
                                      const QString&) { return storeMacroBlockW1(deviceId, index, steps); });
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
    return ::profileForDevice(m_profileSource, key);
}

bool device_data_handler::writeDevice(const QString& Version, const QString& DriverVersion, const QString& Index,
                                      const QString& Task, const QString& TaskType, const QString& TaskCount,
                                      const QString& TaskDelay, const QString& TaskManner)
{
    const WriteRequest request{Version, DriverVersion, Index, Task, TaskType, TaskCount, TaskDelay, TaskManner};
    m_keyboardMode = false;
    m_macroFailed = false;
    m_deviceKey = Version;
    m_driverVersionInUse = DriverVersion;
    const bool w1 = DeviceText::isW1FamilyKey(Version);

    // K3.0 keyboards are written as K2.0 keyboards, with K2.0's definition.
    if (DriverVersion == QLatin1String("K3.0")) {
        if (!m_profile.load(profileForDevice(Version)) || !loadDriver(QStringLiteral("K2.0")))
            return false;
        m_keyboardMode = true;
        return writeKeyboardProfile(*this, request);
    }

    // The W1 family is written by address and needs no profile.
    if (!m_profile.load(profileForDevice(Version)) && !w1)
        return false;
    if (!loadDriver(DriverVersion))
        return false;
    if (DriverVersion == QLatin1String("K2.0")) {
        m_keyboardMode = true;
        return writeKeyboardProfile(*this, request);
    }
    return w1 ? writeW1Assignment(*this, request) : writePropertyAssignment(*this, request);
}

void device_data_handler::slot_writeDevice(QString Version, QString DriveVersion, QString Index, QString Task,
                                           QString TaskType, QString PlayCount, QString PlayDelay,
                                           QString PlayManner)
{
    emit SigcallbackReasult(
        writeDevice(Version, DriveVersion, Index, Task, TaskType, PlayCount, PlayDelay, PlayManner));
}

QString device_data_handler::currentDeviceKey() const
{
    return m_deviceKey;
}

QString device_data_handler::driverVersionInUse() const
{
    return m_driverVersionInUse;
}

bool device_data_handler::keyboardMode() const
{
    return m_keyboardMode;
}

const ProfileDocument& device_data_handler::profileDocument() const
{
    return m_profile;
}

AssignmentEncoder& device_data_handler::assignmentEncoder()
{
    return m_encoder;
}

void device_data_handler::setHotKeyPause(W1HotKeyWriter::Pause pause)
{
    m_encoder.setHotKeyPause(std::move(pause));
}

bool device_data_handler::macroFailed() const
{
    return m_macroFailed;
}

void device_data_handler::clearMacroFailure()
{
    m_macroFailed = false;
}

// The macro hook of the mouse, K1.0 and K2.0 families: parses the steps,
// stores them in the current device and answers the button code. A list
// without steps gives "" (the button is cleared); steps that do not parse or
// cannot be stored give "" and mark the failure.
QString device_data_handler::storeMacroSteps(const QString& steps, const QString& count)
{
    bool parsed = false;
    const MacroSteps macro = parseMacroSteps(*this, steps, &parsed);
    if (!parsed) {
        m_macroFailed = true;
        return QString();
    }
    if (macro.isEmpty())
        return QString();
    const QString code = encodeMacro(*this, m_deviceKey, macro, count, m_keyboardMode);
    if (code.isEmpty())
        m_macroFailed = true;
    return code;
}

bool device_data_handler::storeMacroBlockW1(const QString& deviceId, const QString& index, const QString& steps)
{
    bool parsed = false;
    const MacroSteps macro = parseMacroSteps(*this, steps, &parsed);
    const bool stored = parsed && !macro.isEmpty() && encodeMacroW1(*this, macro, deviceId, index);
    if (!stored)
        m_macroFailed = true;
    return stored;
}
