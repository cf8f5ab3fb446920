#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>

#include "device_functions.h"
#include "driver_lookup.h"
#include "lighting_frame.h"
#include "w1_hotkey_record.h"
#include "write_state.h"

class AssignmentEncoder;
class ProfileDocument;
class ProfileSource;

// The device write worker. It keeps the Driver definitions (DriverLookup),
// the device functions every write goes through, and the state of the write
// being run (WriteState). writeDevice runs one page write request: it picks
// the device family, loads the device's profile and the named definition
// and hands the request to the family's writer (property_write, w1_write,
// keyboard_profile_write), which encodes it and writes it. It lives on a
// worker thread of its own once the main window has moved it there, where
// slot_writeDevice runs; the dispatcher may also call writeDevice directly.
// Its state is touched by one request at a time.
class device_data_handler : public QObject
{
    Q_OBJECT

public:
    explicit device_data_handler(QObject* parent = nullptr);

    // The Driver definitions (see DriverLookup).
    bool registerDriver(const QString& path);
    // Registers DriverLookup::defaultDriverPaths() in order; answers how
    // many were stored.
    int registerDefaultDrivers();
    QStringList registeredVersions() const;
    QByteArray driverText(const QString& version) const;
    bool loadDriver(const QString& version);
    QString loadedDriverVersion() const;

    // Lookups on the definition in use.
    QString lengthOfKey(const QString& key) const;
    QStringList addrLengthOfIndex(const QString& index) const;
    QString addrOfTask(const QString& task) const;
    QString codeOfTask(const QString& task) const;

    DriverLookup& driverLookup() { return m_lookup; }
    // The device functions every write goes through.
    DeviceFunctions& deviceFunctions() { return m_functions; }

    // Where the profiles are: the files the pages have read (the file cache
    // of the command bridge; it must outlive the handler). Null: no device
    // has a profile.
    void setProfileSource(const ProfileSource* source);
    const ProfileSource* profileSource() const;

    // The first text of the source, in path order, that parses as XML and
    // whose /Configuration/Conf/Key[@Index=2] Value equals key exactly; ""
    // when none does.
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

    // The state of the latest request: its device key and driver version,
    // its keyboard mode and the device's profile document, and the encoder
    // of the requests, its macros stored in the request's device.
    const WriteState& writeState() const { return m_write; }
    AssignmentEncoder& assignmentEncoder() { return m_write.encoder(); }
    // The pause after each chunk of a W1 hotkey record (300 ms by default).
    void setHotKeyPause(W1HotKeyWriter::Pause pause);

    // Keyboard lighting: items of the form key name, "#", colour. Stores the
    // key, checks that the Driver definition registered under driverVersion
    // parses (false, with the frame untouched, when it does not), clears the
    // keys of the previous lighting write, sets the colours and sends the
    // 1024-byte frame. The answer is the device's.
    bool writeLighting(const QString& key, const QString& driverVersion, const QStringList& items);
    QString lightingKey() const;
    QByteArray lightingFrame() const;

public slots:
    // Runs writeDevice and emits SigcallbackReasult with its answer.
    void slot_writeDevice(QString Version, QString DriveVersion, QString Index, QString Task, QString TaskType,
                          QString PlayCount, QString PlayDelay, QString PlayManner);

signals:
    void SigcallbackReasult(bool);

private:
    DriverLookup m_lookup;
    DeviceFunctions m_functions;
    LightingFrame m_lighting;
    QString m_lightingKey;
    std::atomic<const ProfileSource*> m_profileSource{nullptr};
    // After m_lookup and m_functions: its encoder works with them.
    WriteState m_write;
};
