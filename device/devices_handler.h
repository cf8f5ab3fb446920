#pragma once

#include <QByteArray>
#include <QLibrary>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <string>

#include "transport_entry_points.h"

// The binding of the transport library. The library is loaded at run time
// (libUsbInterface.so in the application folder, or the file that the
// environment variable ORVANTA_TRANSPORT names) and every entry point is
// resolved by its export name, once, into a table of function pointers.
// Each instance binds its own table. A missing library or export leaves
// its pointer null, and the matching call answers false without doing
// anything.
//
// The call methods carry the library's argument order. They refuse, before
// any call, what would let the library read or write past a buffer: sizes
// outside the 2048-byte transfer buffer, over-long paths, too many rows.
class devices_handler : public QObject
{
    Q_OBJECT

public:
    using TransferBuffer = std::array<unsigned char, transport::kTransferSize>;

    explicit devices_handler(QObject* parent = nullptr);
    ~devices_handler() override;

    // The file the constructor loads: the library ORVANTA_TRANSPORT names
    // ("demo": the emulator of this installation), else the emulator when
    // portable (scripts/run, the tests) and the transport for real devices
    // (libOrvantaHidraw.so) when installed.
    static QString libraryPath();
    // Whether that library is the device emulator.
    static bool usesEmulator();
    // A path as the library takes it: UTF-16 code units; c_str() adds the NUL.
    static std::u16string toLibraryText(const QString& text);

    bool isLoaded() const;
    // Export names that did not resolve (all of them when nothing loaded).
    QStringList missingEntryPoints() const;
    static QStringList entryPointNames();

    // Fills block with a zeroed 105 252-byte device block and lets the
    // library list the interfaces of the vendor usage pages 0xFFA0 and 0xFFAA.
    bool dcDevices(QByteArray* block) const;
    // Starts the input reports of up to 10 devices; paths and ids row by row.
    bool DeviceData(const QStringList& paths, const QVector<quint32>& ids,
                    transport::ReportCallback callback) const;
    bool Reset(const QString& path, quint8 mode) const;
    bool dcReadProperty(const QString& path, TransferBuffer& buffer, int id, int size) const;
    bool dcWriteProperty(const QString& path, const TransferBuffer& data, int id, int size) const;
    // The reply holds an 8-byte response header, then size bytes.
    bool dcReadAddress(const QString& path, TransferBuffer& buffer, quint32 address, int size) const;
    bool dcWriteAddress(const QString& path, const TransferBuffer& data, quint32 address, int size) const;
    bool dcW1WriteAddress(const QString& path, const TransferBuffer& data, quint32 address, int length,
                          quint8 mode) const;
    // frame holds transport::kLightingFrameSize bytes.
    bool dcNotifyRGBDevice(const QString& path, const unsigned char* frame) const;

    // Boot loader.
    bool DeviceExist(const QString& target, const QString& path) const;
    bool EraseRom(const QString& path) const;
    bool WriteRom(const QString& path, const QByteArray& block, int offset) const;
    bool CheckRom(const QString& path, quint32 first, quint32 second) const;
    bool FinishUpdateRom(const QString& path) const;

private:
    void bindEntryPoints();

    QLibrary m_library;
    transport::EntryPoints m_entry;
    QStringList m_missing;
};
