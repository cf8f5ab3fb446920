#pragma once

#include "device_set.h"
#include "report_reader.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <mutex>

namespace emulator {

// The emulated devices behind the transport entry points.
//
// The device set is read from the device-set file (ORVANTA_DEVICES, else
// devices.json beside the executable) and read again whenever that name or
// the file itself changes, checked at every entry-point call; the library's
// own saves do not count as changes. Every successful write is saved back
// before the call returns, written to a temporary file and renamed over the
// old one, so a crash never leaves half a file. A write that cannot be saved
// is undone and fails: the file is the devices' memory.
//
// One mutex guards the device state; the report reader takes it only for the
// moment of its reachability check and never while calling the host.
class Emulator {
public:
    static Emulator &instance();
    ~Emulator();

    // Operations behind the entry points of the same meaning. A path is
    // given as text (the entry points refuse unusable paths before calling).
    // Results are 1 for success, 0 for failure; reads also hand back the data
    // bytes they produced for the call log.
    int listDevices(unsigned char *block, const std::uint16_t *filter, int *listed);
    int startReading(const QVector<QString> &paths, ReportCallback callback);
    void stopReading();
    int reset(const QString &path, unsigned char mode);
    int readProperty(const QString &path, unsigned char *buffer, unsigned char id, int size, QByteArray *read);
    int writeProperty(const QString &path, const unsigned char *data, unsigned char id, int size);
    int readAddress(const QString &path, unsigned char *buffer, std::uint32_t address, int size, QByteArray *read);
    int writeAddress(const QString &path, const unsigned char *data, std::uint32_t address, int size);
    int w1WriteAddress(const QString &path, const unsigned char *data, std::uint32_t address, int length,
                       unsigned char mode);
    int notifyRgb(const QString &path, const unsigned char *frame, int size);
    int deviceExist(const QString &target, const QString &path);
    int eraseRom(const QString &path);
    int writeRom(const QString &path, const unsigned char *data, int length, int offset);
    int checkRom(const QString &path, std::uint32_t romLength, std::uint32_t checkValue);
    int finishUpdateRom(const QString &path);
    int notify(const QString &path, const unsigned char *data, int size);
    int readVersion(const QString &path, unsigned char *buffer, int size, QByteArray *read);
    int openVidPid(std::uint16_t vendorId, std::uint16_t productId);

private:
    struct FileStamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long modifiedNs = 0;
        bool operator==(const FileStamp &o) const
        {
            return exists == o.exists && device == o.device && inode == o.inode && size == o.size
                && modifiedNs == o.modifiedNs;
        }
    };

    Emulator();
    static QString deviceSetPath();
    static FileStamp stampOf(const QString &file);

    void refresh();
    bool save();
    // A present device in normal operation that shows an interface at path.
    Device *findDevice(const QString &path);
    // A present device whose boot loader is at path.
    Device *findBootLoader(const QString &path);
    // The present device that path names in either state.
    Device *findAny(const QString &path);
    // Counts a write call against the fault members, applies change and saves;
    // undoes everything when the change, a fault or the save says no. A write
    // that changes nothing the device keeps (changesState false) is saved only
    // when it unplugs the device.
    int applyWrite(Device *device, const std::function<bool(Device &)> &change, bool changesState = true);
    // Saves the device's new state, or restores before when saving fails.
    int commit(Device *device, const Device &before);
    bool bootStepFails(Device *device, const QString &step);
    static void restoreFactory(Device &device);
    bool reachable(const QString &path);

    std::mutex m_mutex;
    QString m_file;
    FileStamp m_stamp;
    bool m_loaded = false; // the file parsed: only then is it ever written
    DeviceSet m_set;
    ReportReader m_reader;
};

} // namespace emulator
