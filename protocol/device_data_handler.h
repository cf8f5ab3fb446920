#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include "device_functions.h"
#include "driver_definition.h"
#include "driver_registry.h"
#include "lighting_frame.h"

// The device write worker. It owns the registry of Driver definitions and
// the definition in use, which every write request replaces; the encoders
// ask it for lengths, addresses and codes by Task or Index. It lives on a
// worker thread of its own once the main window has moved it there; its
// state is touched by one request at a time.
class device_data_handler : public QObject
{
    Q_OBJECT

public:
    explicit device_data_handler(QObject* parent = nullptr);

    // The resources registered at start, in registration order. The last
    // one, K4.0, is not shipped: its registration fails quietly and a
    // request for K4.0 finds no definition.
    static QStringList defaultDriverPaths();

    // Stores the text of the document at path under its Version; false,
    // with nothing stored, when it cannot be opened or parsed.
    bool registerDriver(const QString& path);

    // Registers defaultDriverPaths() in order; answers how many were stored.
    int registerDefaultDrivers();

    QStringList registeredVersions() const;
    QByteArray driverText(const QString& version) const;

    // Makes the registered document for version the definition in use.
    // An unknown version has empty text, which does not parse: the answer is
    // false and every lookup answers "" until the next successful load.
    bool loadDriver(const QString& version);
    bool isDriverLoaded() const;
    QString loadedDriverVersion() const;

    // Lookups on the definition in use.
    QString lengthOfKey(const QString& key) const;
    QStringList addrLengthOfIndex(const QString& index) const;
    QString addrOfTask(const QString& task) const;
    QString codeOfTask(const QString& task) const;

    // Set by the encoders: while a macro is being encoded, or a hotkey holds
    // a single key, "Alt", "Ctrl", "Shift" and "Win" name the left-hand keys
    // (whose key codes go into the bytes) instead of the modifier bits.
    void setMacroEncoding(bool on);
    bool macroEncoding() const;
    void setSingleHotKey(bool on);
    bool singleHotKey() const;

    // The device functions every write goes through.
    DeviceFunctions& deviceFunctions();

    // Keyboard lighting: items of the form key name, "#", colour. Stores the
    // key, checks that the Driver definition registered under driverVersion
    // parses (false, with the frame untouched, when it does not), clears the
    // keys of the previous lighting write, sets the colours and sends the
    // 1024-byte frame. The answer is the device's.
    bool writeLighting(const QString& key, const QString& driverVersion, const QStringList& items);
    QString lightingKey() const;
    QByteArray lightingFrame() const;

    // Writes a byte list into a W1-family device's memory from startAddress
    // (hexadecimal) on, ten bytes per mode 7 write. Stops at the first
    // write the device refuses and answers false; true when every chunk
    // went out (an empty list sends nothing).
    bool writeBlockInChunks(const QString& key, const QString& startAddress, const QString& data);

private:
    DriverRegistry m_registry;
    DriverDefinition m_driver;
    bool m_macroEncoding = false;
    bool m_singleHotKey = false;
    DeviceFunctions m_functions;
    LightingFrame m_lighting;
    QString m_lightingKey;
};
