#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>

#include "assignment_encoder.h"
#include "device_functions.h"
#include "driver_definition.h"
#include "driver_registry.h"
#include "lighting_frame.h"
#include "profile_document.h"

class ProfileSource;

// The device write worker. It owns the registry of Driver definitions and
// the definition in use, which every write request replaces; the encoders
// ask it for lengths, addresses and codes by Task or Index. writeDevice runs
// one page write request: it picks the device family, loads the device's
// profile and the named definition, has the assignment encoded and writes it
// (property_write, w1_write, keyboard_profile_write). It lives on a worker
// thread of its own once the main window has moved it there, where
// slot_writeDevice runs; the dispatcher may also call writeDevice directly.
// Its state is touched by one request at a time.
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

    // Where the profiles are: the files the pages have read (the file cache
    // of the command bridge; it must outlive the handler). Null: no device
    // has a profile.
    void setProfileSource(const ProfileSource* source);
    const ProfileSource* profileSource() const;

    // The first cached text, in path order, that parses as XML and whose
    // /Configuration/Conf/Key[@Index=2] Value equals key exactly; "" when
    // none does.
    QString profileForDevice(const QString& key) const;

    // One page write request (the members of "WriteDevice"). Version is the
    // device key, DriverVersion the definition to use (K3.0 uses K2.0's).
    // True when the device took the write. False, with nothing written, for
    // an unknown definition (K4.0 among them), a device other than the W1
    // family without a profile, an Index that names nothing writable, a
    // macro that cannot be stored; false too when the device refuses a write.
    bool writeDevice(const QString& Version, const QString& DriverVersion, const QString& Index, const QString& Task,
                     const QString& TaskType, const QString& TaskCount, const QString& TaskDelay,
                     const QString& TaskManner);

    // State of the latest request: the device key, the driver version as the
    // request named it, whether it is written as a keyboard profile (K2.0,
    // K3.0; macros then go to the K2.0 units), and its profile document
    // (empty when the device has none).
    QString currentDeviceKey() const;
    QString driverVersionInUse() const;
    bool keyboardMode() const;
    const ProfileDocument& profileDocument() const;

    // The encoder of the requests, its macro hooks joined to the macro
    // stores: a "Macro" assignment stores the macro in the current device
    // (mouse slots, K2.0 units in keyboard mode, the W1 button's block).
    AssignmentEncoder& assignmentEncoder();
    // The pause after each chunk of a W1 hotkey record (300 ms by default).
    void setHotKeyPause(W1HotKeyWriter::Pause pause);

    // Set when a macro assignment had steps but could not be stored (its
    // steps do not parse, it does not fit, or no slot took it), so that the
    // write reports failure instead of clearing the button.
    bool macroFailed() const;
    void clearMacroFailure();

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

public slots:
    // Runs writeDevice and emits SigcallbackReasult with its answer.
    void slot_writeDevice(QString Version, QString DriveVersion, QString Index, QString Task, QString TaskType,
                          QString PlayCount, QString PlayDelay, QString PlayManner);

signals:
    void SigcallbackReasult(bool);

private:
    QString storeMacroSteps(const QString& steps, const QString& count);
    bool storeMacroBlockW1(const QString& deviceId, const QString& index, const QString& steps);

    DriverRegistry m_registry;
    DriverDefinition m_driver;
    bool m_macroEncoding = false;
    bool m_singleHotKey = false;
    DeviceFunctions m_functions;
    LightingFrame m_lighting;
    QString m_lightingKey;

    std::atomic<const ProfileSource*> m_profileSource{nullptr};
    QString m_deviceKey;
    QString m_driverVersionInUse;
    bool m_keyboardMode = false;
    bool m_macroFailed = false;
    ProfileDocument m_profile;
    // After m_functions: its hotkey writer writes through them.
    AssignmentEncoder m_encoder;
};
