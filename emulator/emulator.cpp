#include "emulator.h"

#include "byte_text.h"
#include "device_record_writer.h"
#include "transport_entry_points.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtGlobal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace emulator {

using namespace transport;

namespace {

// Address reads answer with this header before the data: the vendor feature
// report id, the read-address command, the address (little-endian) and the
// number of data bytes (little-endian).
constexpr unsigned char kReportId = 0x06;
constexpr unsigned char kReadAddressCommand = 0x03;

constexpr unsigned char kResetToFactory = 2;
constexpr unsigned char kEnterBootLoader = 1;
constexpr unsigned char kW1BlockWrite = 7;
constexpr unsigned char kW1Reset = 9;
// A mode-9 write at this address restarts the device: it keeps its memory.
constexpr std::uint32_t kW1RestartAddress = 0;

bool matchesFilter(const std::uint16_t *filter, const Interface &iface)
{
    if (!filter)
        return true;
    bool anyPair = false;
    for (int i = 0; i < kFilterPairs; ++i) {
        const std::uint16_t usage = filter[2 * i];
        const std::uint16_t usagePage = filter[2 * i + 1];
        if (usage == 0 && usagePage == 0)
            continue;
        anyPair = true;
        if (usage == iface.usage && usagePage == iface.usagePage)
            return true;
    }
    return !anyPair;
}

bool sizeFits(int size, int min, int max)
{
    return size >= min && size <= max;
}

bool rangeFits(std::uint32_t address, int size, int memorySize)
{
    return static_cast<qint64>(address) + size <= memorySize;
}

// Writes bytes to a new temporary file beside path and renames it over path.
// mkostemp creates the file exclusively under a fresh name, so a link or file
// placed there beforehand is never written through. Every byte must reach
// the file (a short write, a full disk or a file size limit fail the whole
// save) before the rename; otherwise the temporary file goes and path stays
// as it was.
bool replaceFile(const QString &path, const QByteArray &bytes)
{
    QByteArray name = QFile::encodeName(path) + ".tmp-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat existing;
    bool ok = true;
    if (::stat(QFile::encodeName(path).constData(), &existing) == 0)
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    qint64 written = 0;
    while (ok && written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        written += ok ? n : 0;
    }
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(name.constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    ::unlink(name.constData());
    return false;
}

} // namespace

Emulator &Emulator::instance()
{
    static Emulator emulator;
    return emulator;
}

Emulator::Emulator()
    : m_reader([this](const QString &path) { return reachable(path); })
{
}

Emulator::~Emulator()
{
    // The reader thread calls into this object: end it before anything goes.
    m_reader.stop();
}

QString Emulator::deviceSetPath()
{
    const char *named = std::getenv("ORVANTA_DEVICES");
    if (named && *named)
        return QString::fromLocal8Bit(named);
    // The application folder is the folder of the executable that loaded us.
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return QFileInfo(exe).absoluteDir().filePath(QStringLiteral("devices.json"));
}

Emulator::FileStamp Emulator::stampOf(const QString &file)
{
    FileStamp stamp;
    struct stat info;
    if (::stat(QFile::encodeName(file).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return stamp;
}

void Emulator::refresh()
{
    const QString file = deviceSetPath();
    const FileStamp stamp = stampOf(file);
    if (file == m_file && stamp == m_stamp)
        return;
    m_file = file;
    m_stamp = stamp;
    m_set = DeviceSet();
    m_loaded = false;
    if (!stamp.exists)
        return;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "UsbInterface: cannot read %s\n", qPrintable(file));
        return;
    }
    if (in.size() > kMaxDeviceSetFileSize) {
        std::fprintf(stderr, "UsbInterface: %s: the file is larger than %lld bytes: the set is refused\n",
                     qPrintable(file), static_cast<long long>(kMaxDeviceSetFileSize));
        return;
    }
    m_loaded = parseDeviceSet(in.read(kMaxDeviceSetFileSize), &m_set);
    for (const QString &problem : qAsConst(m_set.problems))
        std::fprintf(stderr, "UsbInterface: %s: %s\n", qPrintable(file), qPrintable(problem));
}

bool Emulator::save()
{
    if (!m_loaded)
        return false;
    // Written to a new temporary file beside it and renamed over it: readers
    // see the old or the new file, never a part of one. The temporary file
    // gets a fresh name and is created exclusively, so nothing that someone
    // placed beside the file (a link to another file) is ever written
    // through.
    if (!replaceFile(m_file, serializeDeviceSet(m_set)))
        return false;
    m_stamp = stampOf(m_file);
    return true;
}

Device *Emulator::findDevice(const QString &path)
{
    for (Device &device : m_set.devices) {
        if (!device.present || device.inBootLoader)
            continue;
        for (const Interface &iface : qAsConst(device.interfaces)) {
            if (iface.path.compare(path, Qt::CaseInsensitive) == 0)
                return &device;
        }
    }
    return nullptr;
}

Device *Emulator::findBootLoader(const QString &path)
{
    for (Device &device : m_set.devices) {
        if (device.present && device.inBootLoader && device.bootLoader.path.compare(path, Qt::CaseInsensitive) == 0)
            return &device;
    }
    return nullptr;
}

Device *Emulator::findAny(const QString &path)
{
    for (Device &device : m_set.devices) {
        if (!device.present)
            continue;
        if (device.bootLoader.path.compare(path, Qt::CaseInsensitive) == 0)
            return &device;
        for (const Interface &iface : qAsConst(device.interfaces)) {
            if (iface.path.compare(path, Qt::CaseInsensitive) == 0)
                return &device;
        }
    }
    return nullptr;
}

bool Emulator::reachable(const QString &path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return findDevice(path) != nullptr;
}

int Emulator::commit(Device *device, const Device &before)
{
    if (save())
        return 1;
    *device = before;
    return 0;
}

int Emulator::applyWrite(Device *device, const std::function<bool(Device &)> &change, bool changesState)
{
    ++device->writeCalls;
    if (device->faults.failWrite > 0 && device->writeCalls == device->faults.failWrite)
        return 0;
    const Device before = *device;
    if (!change(*device)) {
        *device = before;
        return 0;
    }
    ++device->successfulWrites;
    const bool unplugged =
        device->faults.unplugAfterWrites > 0 && device->successfulWrites >= device->faults.unplugAfterWrites;
    if (unplugged)
        device->present = false;
    if (!changesState && !unplugged)
        return 1;
    return commit(device, before);
}

bool Emulator::bootStepFails(Device *device, const QString &step)
{
    const int call = ++device->bootStepCalls[step];
    if (device->faults.failBootStep != step)
        return false;
    return device->faults.failBootStepCall == 0 || device->faults.failBootStepCall == call;
}

void Emulator::restoreFactory(Device &device)
{
    device.properties = device.factory.properties;
    device.memory = device.factory.memory;
    device.lightingFrame.clear();
}

int Emulator::listDevices(unsigned char *block, const std::uint16_t *filter, int *listed)
{
    *listed = 0;
    if (!block)
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    std::memset(block, 0, kDeviceBlockSize);
    std::uint16_t count = 0;
    for (const Device &device : qAsConst(m_set.devices)) {
        if (!device.present)
            continue;
        const QVector<Interface> shown = device.inBootLoader ? QVector<Interface>{device.bootLoader} : device.interfaces;
        for (const Interface &iface : shown) {
            if (!matchesFilter(filter, iface))
                continue;
            if (count == kMaxDeviceRecords)
                break;
            unsigned char *record = block + 2 + count * kDeviceRecordSize;
            if (!device.inBootLoader) {
                putLatin1(record + kRecordIdText, kRecordIdTextSize, device.reportedId);
                putLatin1(record + kRecordVersion, kRecordVersionSize, device.firmwareVersion);
            }
            putLatin1(record + kRecordSerial, kRecordSerialSize, device.serial);
            if (!device.inBootLoader)
                putLatin1(record + kRecordMask, kRecordMaskSize, device.mask);
            putU32(record + kRecordVendorId, device.shownVendorId());
            putU32(record + kRecordProductId, device.shownProductId());
            putUtf16(record + kRecordPath, iface.path);
            putUtf16(record + kRecordInstanceId, iface.instanceId);
            ++count;
        }
    }
    std::memcpy(block, &count, sizeof count);
    *listed = count;
    return 1;
}

int Emulator::startReading(const QVector<QString> &paths, ReportCallback callback)
{
    QVector<ReportReader::Stream> streams;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        refresh();
        QVector<int> seen;
        for (const QString &path : paths) {
            const Device *device = findDevice(path);
            // A device listed twice (two of its interfaces) still plays its
            // script once.
            if (!device || seen.contains(device->rawIndex))
                continue;
            seen.append(device->rawIndex);
            streams.append({path, device->reports, device->loopReports});
        }
    }
    // Never under m_mutex: stopping waits for the reader, which may be
    // waiting for m_mutex in its reachability check.
    if (streams.isEmpty() || !callback) {
        m_reader.stop();
        return paths.isEmpty() ? 1 : 0;
    }
    return m_reader.start(streams, callback) ? 1 : 0;
}

void Emulator::stopReading()
{
    m_reader.stop();
}

int Emulator::reset(const QString &path, unsigned char mode)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    if (Device *device = findDevice(path)) {
        const Device before = *device;
        if (mode == kResetToFactory) {
            restoreFactory(*device);
            return commit(device, before);
        }
        if (mode == kEnterBootLoader) {
            if (bootStepFails(device, QStringLiteral("Reset")))
                return 0;
            device->inBootLoader = true;
            device->romImage.clear();
            device->romVerified = false;
            return commit(device, before);
        }
        return 0;
    }
    if (Device *device = findBootLoader(path)) {
        if (mode == kEnterBootLoader)
            return 1;
        // A plain restart leaves the boot loader only for intact firmware.
        if (mode != kResetToFactory || !device->firmwareValid)
            return 0;
        const Device before = *device;
        device->inBootLoader = false;
        device->romImage.clear();
        device->romVerified = false;
        return commit(device, before);
    }
    return 0;
}

int Emulator::readProperty(const QString &path, unsigned char *buffer, unsigned char id, int size, QByteArray *read)
{
    if (!buffer || !sizeFits(size, 0, kTransferSize))
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    const Device *device = findDevice(path);
    if (!device)
        return 0;
    // Property space never written reads as zeros, like erased memory.
    QByteArray value = device->properties.value(id).left(size);
    value.append(QByteArray(size - value.size(), '\0'));
    std::memcpy(buffer, value.constData(), static_cast<size_t>(size));
    *read = value;
    return 1;
}

int Emulator::writeProperty(const QString &path, const unsigned char *data, unsigned char id, int size)
{
    if (!data || !sizeFits(size, 1, kTransferSize))
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    Device *device = findDevice(path);
    if (!device)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), size);
    return applyWrite(device, [&](Device &d) {
        d.properties.insert(id, bytes);
        return true;
    });
}

int Emulator::readAddress(const QString &path, unsigned char *buffer, std::uint32_t address, int size,
                          QByteArray *read)
{
    if (!buffer || !sizeFits(size, 0, kTransferSize - kResponseHeaderSize))
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    const Device *device = findDevice(path);
    if (!device || !rangeFits(address, size, device->memory.size()))
        return 0;
    const unsigned char header[kResponseHeaderSize] = {
        kReportId,
        kReadAddressCommand,
        static_cast<unsigned char>(address),
        static_cast<unsigned char>(address >> 8),
        static_cast<unsigned char>(address >> 16),
        static_cast<unsigned char>(address >> 24),
        static_cast<unsigned char>(size),
        static_cast<unsigned char>(size >> 8),
    };
    std::memcpy(buffer, header, sizeof header);
    *read = device->memory.mid(static_cast<int>(address), size);
    std::memcpy(buffer + kResponseHeaderSize, read->constData(), static_cast<size_t>(size));
    return 1;
}

int Emulator::writeAddress(const QString &path, const unsigned char *data, std::uint32_t address, int size)
{
    if (!data || !sizeFits(size, 1, kTransferSize))
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    Device *device = findDevice(path);
    if (!device || !rangeFits(address, size, device->memory.size()))
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), size);
    return applyWrite(device, [&](Device &d) {
        d.memory.replace(static_cast<int>(address), size, bytes);
        return true;
    });
}

int Emulator::w1WriteAddress(const QString &path, const unsigned char *data, std::uint32_t address, int length,
                             unsigned char mode)
{
    if (!data || !sizeFits(length, 1, kTransferSize) || (mode != kW1BlockWrite && mode != kW1Reset))
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    Device *device = findDevice(path);
    if (!device)
        return 0;
    if (mode == kW1Reset && address == kW1RestartAddress) {
        // The program sends this every few seconds; a restart changes
        // nothing the device keeps, so nothing is saved either.
        return applyWrite(device, [](Device &) { return true; }, false);
    }
    if (mode == kW1Reset) {
        return applyWrite(device, [](Device &d) {
            restoreFactory(d);
            return true;
        });
    }
    if (!rangeFits(address, length, device->memory.size()))
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), length);
    return applyWrite(device, [&](Device &d) {
        d.memory.replace(static_cast<int>(address), length, bytes);
        return true;
    });
}

int Emulator::notifyRgb(const QString &path, const unsigned char *frame, int size)
{
    if (!frame || !sizeFits(size, 1, kLightingFrameSize))
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    Device *device = findDevice(path);
    if (!device)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(frame), size);
    return applyWrite(device, [&](Device &d) {
        d.lightingFrame = bytes;
        return true;
    });
}

int Emulator::deviceExist(const QString &target, const QString &path)
{
    static const QRegularExpression ids(QStringLiteral("vid_([0-9a-f]{4})&pid_([0-9a-f]{4})"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = ids.match(target);
    if (!match.hasMatch())
        return 0;
    const uint vid = match.captured(1).toUInt(nullptr, 16);
    const uint pid = match.captured(2).toUInt(nullptr, 16);
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    Device *device = findAny(path);
    if (!device || bootStepFails(device, QStringLiteral("DeviceExist")))
        return 0;
    return device->shownVendorId() == vid && device->shownProductId() == pid ? 1 : 0;
}

int Emulator::eraseRom(const QString &path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    Device *device = findBootLoader(path);
    if (!device || bootStepFails(device, QStringLiteral("EraseRom")))
        return 0;
    const Device before = *device;
    // Erased flash reads 0xFF; the old firmware is gone from here on.
    device->romImage = QByteArray(kRomCapacity, '\xFF');
    device->romVerified = false;
    device->firmwareValid = false;
    return commit(device, before);
}

int Emulator::writeRom(const QString &path, const unsigned char *data, int length, int offset)
{
    if (!sizeFits(length, 0, kRomBlockSize) || offset < 0 || (length > 0 && !data)
        || static_cast<qint64>(offset) + length > kRomCapacity)
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    Device *device = findBootLoader(path);
    // Flash takes data only after an erase.
    if (!device || device->romImage.isEmpty() || bootStepFails(device, QStringLiteral("WriteRom")))
        return 0;
    if (length > 0)
        device->romImage.replace(offset, length, reinterpret_cast<const char *>(data), length);
    device->romVerified = false;
    return 1;
}

int Emulator::checkRom(const QString &path, std::uint32_t romLength, std::uint32_t checkValue)
{
    if (romLength == 0 || romLength > static_cast<std::uint32_t>(kRomCapacity))
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    Device *device = findBootLoader(path);
    if (!device || device->romImage.isEmpty() || bootStepFails(device, QStringLiteral("CheckRom")))
        return 0;
    const std::uint32_t crc =
        crc32Ieee(reinterpret_cast<const unsigned char *>(device->romImage.constData()), romLength);
    device->romVerified = crc == checkValue;
    device->verifiedLength = romLength;
    return device->romVerified ? 1 : 0;
}

int Emulator::finishUpdateRom(const QString &path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    Device *device = findBootLoader(path);
    if (!device || bootStepFails(device, QStringLiteral("FinishUpdateRom")))
        return 0;
    // Unchecked firmware is never started: the device stays in its boot
    // loader and the update can be run again.
    if (!device->romVerified)
        return 0;
    const Device before = *device;
    const QByteArray rom = device->romImage.left(static_cast<int>(device->verifiedLength));
    device->hasRom = true;
    device->romLength = device->verifiedLength;
    device->romCrc = crc32Ieee(reinterpret_cast<const unsigned char *>(rom.constData()), static_cast<size_t>(rom.size()));
    if (device->romVersionOffset < rom.size()) {
        const auto version = static_cast<unsigned char>(rom.at(device->romVersionOffset));
        device->firmwareVersion = QStringLiteral("%1").arg(version, 2, 16, QLatin1Char('0')).toUpper();
    }
    device->firmwareValid = true;
    device->inBootLoader = false;
    device->romImage.clear();
    device->romVerified = false;
    return commit(device, before);
}

int Emulator::notify(const QString &path, const unsigned char *data, int size)
{
    if (!data || !sizeFits(size, 1, kTransferSize))
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    return findDevice(path) ? 1 : 0;
}

int Emulator::readVersion(const QString &path, unsigned char *buffer, int size, QByteArray *read)
{
    if (!buffer || !sizeFits(size, 2, kTransferSize))
        return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    const Device *device = findDevice(path);
    if (!device)
        return 0;
    QByteArray version = device->firmwareVersion.toLatin1().left(2);
    version.append(QByteArray(2 - version.size(), '\0'));
    std::memcpy(buffer, version.constData(), 2);
    *read = version;
    return 1;
}

int Emulator::openVidPid(std::uint16_t vendorId, std::uint16_t productId)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    refresh();
    for (const Device &device : qAsConst(m_set.devices)) {
        if (device.present && device.shownVendorId() == vendorId && device.shownProductId() == productId)
            return 1;
    }
    return 0;
}

} // namespace emulator
