#include "hidraw_transport.h"

#include "device_record_writer.h"
#include "family_b_frame.h"
#include "frame_guard.h"
#include "w1_frame.h"

#include <QRegularExpression>

#include <algorithm>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>

namespace {

// The class GUID at the end of a HID path, as the device records spell it.
const char kHidClassGuid[] = "{4d1e55b2-f16f-11cf-88cb-001111000030}";

using Frames = std::vector<std::vector<std::uint8_t>>;

// A vendor collection answers a filter pair of any vendor page: the program
// asks for its own pages, and the devices use others (0xFF00, 0xFF01,
// 0xFF02, 0xFFFF). Other pairs match exactly.
bool matchesFilter(const std::uint16_t* filter, const HidCollection& collection)
{
    if (!filter)
        return true;
    bool any = false;
    for (int i = 0; i < transport::kFilterPairs; ++i) {
        const std::uint16_t usage = filter[2 * i];
        const std::uint16_t page = filter[2 * i + 1];
        if (usage == 0 && page == 0)
            continue;
        any = true;
        if (page >= 0xFF00 && collection.isVendor())
            return true;
        if (page == collection.usagePage && usage == collection.usage)
            return true;
    }
    return !any;
}

} // namespace

HidrawTransport::HidrawTransport(HidrawSetup setup)
    : m_setup(std::move(setup)),
      m_log(m_setup.logPath),
      m_pacer(FramePacer::kW1Interval,
              m_setup.clock ? m_setup.clock : FramePacer::Clock([] { return std::chrono::steady_clock::now(); }),
              m_setup.sleep ? m_setup.sleep
                            : FramePacer::Sleep([](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }))
{
    if (!m_setup.kernel)
        m_setup.kernel = &linuxHidrawKernel();
}

HidrawTransport::~HidrawTransport()
{
    stopReading();
}

QString HidrawTransport::devicePath(const HidInterface& iface, int collection)
{
    // The instance part is the physical path, which stays the same across
    // replugs into the same port (the node number does not).
    QString instance = iface.uevent.phys;
    instance.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.\\-]")), QStringLiteral("_"));
    QString path = QStringLiteral("\\\\?\\hid#vid_%1&pid_%2&mi_%3&col%4#%5#")
                       .arg(iface.uevent.vendor, 4, 16, QLatin1Char('0'))
                       .arg(iface.uevent.product, 4, 16, QLatin1Char('0'))
                       .arg(qMax(iface.interfaceNumber, 0), 2, 10, QLatin1Char('0'))
                       .arg(collection + 1, 2, 10, QLatin1Char('0'))
                       .arg(instance.left(160));
    return path + QLatin1String(kHidClassGuid);
}

QVector<HidrawTransport::Listed> HidrawTransport::scan() const
{
    const SysfsScan found = scanHidraw(m_setup.sysfsRoot);
    const AccessChoices choices = AccessChoices::load(m_setup.choicesPath);
    QVector<Listed> out;
    for (const HidInterface& iface : found.interfaces) {
        DeviceIdentity identity{iface.uevent.vendor, iface.uevent.product, iface.interfaceNumber,
                                iface.descriptorHash, iface.firmware};
        const AccessLevel level = choices.levelFor(identity, m_setup.verified);
        const RealFamily family = guessFamily(iface.uevent.vendor, iface.descriptor);
        for (int collection : iface.vendorCollections()) {
            Listed listed;
            listed.iface = iface;
            listed.collection = collection;
            listed.path = devicePath(iface, collection);
            listed.level = family == RealFamily::ListOnly ? AccessLevel::ReadOnly : level;
            listed.family = family;
            out.append(listed);
        }
    }
    return out;
}

bool HidrawTransport::find(const QString& path, Listed* out) const
{
    for (const Listed& listed : scan()) {
        if (listed.path.compare(path, Qt::CaseInsensitive) == 0) {
            *out = listed;
            return true;
        }
    }
    return false;
}

int HidrawTransport::listDevices(unsigned char* block, const std::uint16_t* filter)
{
    if (!block)
        return 0;
    std::memset(block, 0, transport::kDeviceBlockSize);
    std::uint16_t count = 0;
    for (const Listed& listed : scan()) {
        if (count == transport::kMaxDeviceRecords)
            break;
        if (!matchesFilter(filter, listed.iface.descriptor.collections[static_cast<std::size_t>(listed.collection)]))
            continue;
        unsigned char* record = block + 2 + count * transport::kDeviceRecordSize;
        const HidInterface& iface = listed.iface;
        // The last two digits of the firmware version (bcdDevice), as the
        // records carry it.
        transport::putLatin1(record + transport::kRecordVersion, transport::kRecordVersionSize, iface.firmware.right(2));
        transport::putLatin1(record + transport::kRecordSerial, transport::kRecordSerialSize, iface.uevent.uniq.left(14));
        transport::putU32(record + transport::kRecordVendorId, iface.uevent.vendor);
        transport::putU32(record + transport::kRecordProductId, iface.uevent.product);
        transport::putLatin1(record + transport::kRecordAccess, transport::kRecordAccessSize, accessName(listed.level));
        transport::putUtf16(record + transport::kRecordPath, listed.path);
        transport::putUtf16(record + transport::kRecordInstanceId, transport::instanceIdFromPath(listed.path));
        ++count;
    }
    std::memcpy(block, &count, sizeof count);
    return 1;
}

bool HidrawTransport::deliver(const Listed& device, Operation operation, const Frames& frames,
                              const QString& entryPoint, std::vector<std::uint8_t>* answer)
{
    const QString node = device.iface.devicePath;
    const Decision decision = decide(device.level, device.family, operation);
    const ReportDescriptor& descriptor = device.iface.descriptor;
    // Every frame is judged first: one that the descriptor does not
    // declare at that length stops the whole command before anything leaves.
    for (const auto& frame : frames) {
        const QString refusal = frameRefusal(descriptor, frame.data(), frame.size());
        if (!refusal.isEmpty()) {
            m_log.append(frameLogLine(QStringLiteral("set_feature"), node, frame.data(), frame.size(),
                                      Decision::Refuse, entryPoint + QStringLiteral(": ") + refusal));
            return false;
        }
    }
    if (frames.empty()) {
        m_log.append(frameLogLine(QStringLiteral("set_feature"), node, nullptr, 0, Decision::Refuse,
                                  entryPoint + QStringLiteral(": no known frame for this device")));
        return false;
    }
    if (decision != Decision::Send) {
        const QString why = decision == Decision::DryRun
                                ? entryPoint + QStringLiteral(": dry run, %1").arg(accessName(device.level))
                                : entryPoint + QStringLiteral(": %1, family %2").arg(accessName(device.level),
                                                                                      familyName(device.family));
        for (const auto& frame : frames)
            m_log.append(frameLogLine(QStringLiteral("set_feature"), node, frame.data(), frame.size(), decision, why));
        return false;
    }

    std::lock_guard<std::mutex> lock(m_sendMutex);
    const QByteArray nodePath = node.toLocal8Bit();
    const int fd = m_setup.kernel->open(nodePath.constData(), O_RDWR | O_NONBLOCK);
    if (fd < 0) {
        m_log.append(frameLogLine(QStringLiteral("open"), node, nullptr, 0, Decision::Refuse,
                                  entryPoint + QStringLiteral(": cannot open the node (%1)").arg(std::strerror(errno))));
        return false;
    }
    bool ok = true;
    for (const auto& frame : frames) {
        if (device.family == RealFamily::W1) {
            ok = sendW1(fd, device, frame);
        } else {
            ok = m_setup.kernel->setFeature(fd, frame.data(), frame.size()) == static_cast<int>(frame.size());
            m_log.append(frameLogLine(QStringLiteral("set_feature"), node, frame.data(), frame.size(), Decision::Send,
                                      ok ? entryPoint : entryPoint + QStringLiteral(": the kernel refused it")));
        }
        if (!ok)
            break;
    }
    if (ok && answer && !answer->empty()) {
        const int got = m_setup.kernel->getFeature(fd, answer->data(), answer->size());
        m_log.append(frameLogLine(QStringLiteral("get_feature"), node, answer->data(), got > 0 ? std::size_t(got) : 0,
                                  Decision::Send, entryPoint));
        ok = got == static_cast<int>(answer->size());
    }
    m_setup.kernel->close(fd);
    return ok;
}

// One W1 frame: paced, sent, and answered on report 9 with the same command.
bool HidrawTransport::sendW1(int fd, const Listed& device, const std::vector<std::uint8_t>& frame)
{
    m_pacer.pace();
    const bool sent = m_setup.kernel->setFeature(fd, frame.data(), frame.size()) == static_cast<int>(frame.size());
    m_log.append(frameLogLine(QStringLiteral("set_feature"), device.iface.devicePath, frame.data(), frame.size(),
                              Decision::Send, sent ? QString() : QStringLiteral("the kernel refused it")));
    if (!sent)
        return false;
    const auto start = m_pacer.now();
    for (;;) {
        struct pollfd pfd = {fd, POLLIN, 0};
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(m_pacer.now() - start).count();
        if (waited >= m_setup.answerTimeoutMs)
            break;
        if (m_setup.kernel->poll(&pfd, 1, static_cast<int>(m_setup.answerTimeoutMs - waited)) <= 0)
            break;
        std::uint8_t answer[64];
        const ssize_t got = m_setup.kernel->read(fd, answer, sizeof answer);
        if (got <= 0)
            break;
        if (W1Frame::answers(answer, static_cast<std::size_t>(got), frame[1])) {
            m_log.append(frameLogLine(QStringLiteral("answer"), device.iface.devicePath, answer,
                                      static_cast<std::size_t>(got), Decision::Send));
            return true;
        }
    }
    m_log.append(frameLogLine(QStringLiteral("answer"), device.iface.devicePath, nullptr, 0, Decision::Refuse,
                              QStringLiteral("no answer to command %1").arg(frame[1])));
    return false;
}

int HidrawTransport::readProperty(const QString& path, unsigned char* buffer, int id, int size)
{
    Listed device;
    if (!buffer || size <= 0 || size > 248 || id < 0 || id > 0xFF || !find(path, &device))
        return 0;
    Frames frames;
    std::vector<std::uint8_t> answer;
    if (device.family == RealFamily::FamilyB) {
        // A property is the byte list at its address.
        frames.push_back(FamilyBFrame::readRequest(static_cast<std::uint16_t>(id), static_cast<std::uint16_t>(size)));
        answer.assign(256, 0);
        answer[0] = 4;
    }
    if (!deliver(device, Operation::Query, frames, QStringLiteral("dcReadProperty"), &answer))
        return 0;
    std::memcpy(buffer, answer.data() + FamilyBFrame::kHeaderSize, static_cast<std::size_t>(size));
    return 1;
}

int HidrawTransport::writeProperty(const QString& path, const unsigned char* data, int id, int size)
{
    return writeAddress(path, data, static_cast<unsigned int>(id), size);
}

int HidrawTransport::readAddress(const QString& path, unsigned char* buffer, unsigned int address, int size)
{
    Listed device;
    if (!buffer || size <= 0 || size > 248 || address > 0xFFFF || !find(path, &device))
        return 0;
    Frames frames;
    std::vector<std::uint8_t> answer;
    if (device.family == RealFamily::FamilyB) {
        frames.push_back(FamilyBFrame::readRequest(static_cast<std::uint16_t>(address), static_cast<std::uint16_t>(size)));
        answer.assign(256, 0);
        answer[0] = 4;
    }
    if (!deliver(device, Operation::Query, frames, QStringLiteral("dcReadAddress"), &answer))
        return 0;
    // The reply keeps its 8-byte header, as the program's reads expect.
    std::memcpy(buffer, answer.data(), FamilyBFrame::kHeaderSize + static_cast<std::size_t>(size));
    return 1;
}

int HidrawTransport::writeAddress(const QString& path, const unsigned char* data, unsigned int address, int size)
{
    Listed device;
    if (!data || size <= 0 || size > transport::kTransferSize || address > 0xFFFF || !find(path, &device))
        return 0;
    Frames frames;
    if (device.family == RealFamily::FamilyB) {
        // Short writes of eight bytes each.
        for (int at = 0; at < size; at += 8) {
            const int n = qMin(8, size - at);
            frames.push_back(FamilyBFrame::build(2, 16, FamilyBFrame::kShortWrite,
                                                 static_cast<std::uint16_t>(address + static_cast<unsigned>(at)),
                                                 data + at, static_cast<std::uint16_t>(n)));
        }
    }
    return deliver(device, Operation::Write, frames, QStringLiteral("dcWriteAddress")) ? 1 : 0;
}

int HidrawTransport::w1WriteAddress(const QString& path, const unsigned char* data, unsigned int address, int length,
                                    unsigned char mode)
{
    Listed device;
    if (!find(path, &device))
        return 0;
    if (mode != W1Frame::kWrite) {
        // Mode 9 is, byte for byte, the public factory reset of these mice.
        m_log.append(frameLogLine(QStringLiteral("set_feature"), device.iface.devicePath, nullptr, 0, Decision::Refuse,
                                  QStringLiteral("dcW1WriteAddress: mode %1 is never sent to a real device").arg(mode)));
        return 0;
    }
    if (!data || length <= 0 || length > transport::kTransferSize || address > 0xFFFF)
        return 0;
    Frames frames;
    if (device.family == RealFamily::W1) {
        const auto prepare = W1Frame::build(W1Frame::kPrepare, 0, nullptr, 0);
        frames.emplace_back(prepare->begin(), prepare->end());
        for (int at = 0; at < length; at += static_cast<int>(W1Frame::kMaxData)) {
            const int n = qMin(static_cast<int>(W1Frame::kMaxData), length - at);
            const auto frame = W1Frame::build(W1Frame::kWrite,
                                              static_cast<std::uint16_t>(address + static_cast<unsigned>(at)),
                                              data + at, static_cast<std::size_t>(n));
            frames.emplace_back(frame->begin(), frame->end());
        }
    }
    return deliver(device, Operation::Write, frames, QStringLiteral("dcW1WriteAddress")) ? 1 : 0;
}

int HidrawTransport::notifyLighting(const QString& path, const unsigned char* frame, int size)
{
    Listed device;
    if (!frame || size <= 0 || size > transport::kLightingFrameSize || !find(path, &device))
        return 0;
    // The program's lighting frame fits no public board: it goes through
    // the same check, which refuses a length the device does not declare.
    const Frames frames{std::vector<std::uint8_t>(frame, frame + size)};
    return deliver(device, Operation::Lighting, frames, QStringLiteral("dcNotifyRGBDevice")) ? 1 : 0;
}

int HidrawTransport::refuse(const QString& path, const QString& entryPoint)
{
    Listed device;
    const QString node = find(path, &device) ? device.iface.devicePath : QStringLiteral("(unknown)");
    m_log.append(frameLogLine(QStringLiteral("refused"), node, nullptr, 0, Decision::Refuse,
                              entryPoint + QStringLiteral(": firmware and the boot loader are never touched on a real device")));
    return 0;
}

int HidrawTransport::startReading(const QVector<QString>& paths, transport::ReportCallback callback)
{
    stopReading();
    if (paths.isEmpty() || !callback)
        return 1;
    const QVector<Listed> listed = scan();
    std::vector<Stream> streams;
    QStringList opened;
    for (const QString& path : paths) {
        for (const Listed& l : listed) {
            if (l.path.compare(path, Qt::CaseInsensitive) != 0 || opened.contains(l.iface.devicePath))
                continue;
            // Input reports only: the node is opened for reading, and
            // nothing is ever written to it here.
            const int fd = m_setup.kernel->open(l.iface.devicePath.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
            if (fd < 0)
                continue; // unplugged since the listing, or no permission
            Stream stream;
            stream.fd = fd;
            if (l.iface.descriptor.usesReportIds) {
                for (const HidReport& r : l.iface.descriptor.collections[static_cast<std::size_t>(l.collection)].reports) {
                    if (r.type == HidReportType::Input)
                        stream.reportIds.push_back(r.id);
                }
                if (stream.reportIds.empty()) {
                    m_setup.kernel->close(fd);
                    continue;
                }
            }
            opened << l.iface.devicePath;
            streams.push_back(stream);
        }
    }
    if (streams.empty())
        return 0;
    {
        std::lock_guard<std::mutex> lock(m_readMutex);
        m_streams = std::move(streams);
        m_callback = callback;
    }
    m_stop = false;
    m_reader = std::thread([this] { readerLoop(); });
    return 1;
}

void HidrawTransport::stopReading()
{
    m_stop = true;
    if (m_reader.joinable())
        m_reader.join();
    std::lock_guard<std::mutex> lock(m_readMutex);
    for (const Stream& s : m_streams)
        m_setup.kernel->close(s.fd);
    m_streams.clear();
    m_callback = nullptr;
}

void HidrawTransport::readerLoop()
{
    std::uint8_t report[4096];
    while (!m_stop) {
        std::vector<struct pollfd> fds;
        {
            std::lock_guard<std::mutex> lock(m_readMutex);
            if (m_streams.empty())
                return;
            for (const Stream& s : m_streams)
                fds.push_back({s.fd, POLLIN, 0});
        }
        const int ready = m_setup.kernel->poll(fds.data(), fds.size(), 100);
        if (ready <= 0)
            continue;
        std::lock_guard<std::mutex> lock(m_readMutex);
        for (std::size_t i = 0; i < fds.size() && i < m_streams.size(); ++i) {
            Stream& stream = m_streams[i];
            bool gone = (fds[i].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
            if (!gone && (fds[i].revents & POLLIN)) {
                const ssize_t got = m_setup.kernel->read(stream.fd, report, sizeof report);
                if (got > 0) {
                    const bool wanted = stream.reportIds.empty()
                                        || std::find(stream.reportIds.begin(), stream.reportIds.end(), report[0])
                                               != stream.reportIds.end();
                    if (wanted && m_callback)
                        m_callback(report, static_cast<unsigned int>(got));
                } else if (got < 0 && errno != EAGAIN && errno != EINTR) {
                    gone = true;
                }
            }
            // A node that went away (unplugged) is dropped; hot-plug lists
            // the device again when it comes back.
            if (gone) {
                m_setup.kernel->close(stream.fd);
                stream.fd = -1;
            }
        }
        m_streams.erase(std::remove_if(m_streams.begin(), m_streams.end(), [](const Stream& s) { return s.fd < 0; }),
                        m_streams.end());
    }
}
