#pragma once

#include "access_choices.h"
#include "frame_log.h"
#include "frame_pacer.h"
#include "hidraw_kernel.h"
#include "sysfs_hid.h"
#include "transport_entry_points.h"

#include <QString>
#include <QVector>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The transport for real devices over Linux hidraw, behind the same entry
// points as the emulator (hidraw_exports.cpp). Listing reads sysfs only;
// input reports are read from the open nodes on one reader thread; every
// other entry point goes through the write policy: read-only devices get
// nothing, a dry run logs the frames it would send and answers failure, and
// only what the policy allows is sent, each frame checked against the
// descriptor, paced where the family needs it, and logged.
struct HidrawSetup
{
    HidrawKernel* kernel = nullptr;
    QString sysfsRoot = QStringLiteral("/sys");
    QString choicesPath; // the user's per-device access choices
    QString logPath;     // the transport log: one JSON line per frame
    QVector<DeviceIdentity> verified = verifiedDevices();
    FramePacer::Clock clock;
    FramePacer::Sleep sleep;
    // How long to wait for a W1 answer on report 9.
    int answerTimeoutMs = 500;
};

class HidrawTransport
{
public:
    explicit HidrawTransport(HidrawSetup setup);
    ~HidrawTransport();
    HidrawTransport(const HidrawTransport&) = delete;
    HidrawTransport& operator=(const HidrawTransport&) = delete;

    int listDevices(unsigned char* block, const std::uint16_t* filter);
    int startReading(const QVector<QString>& paths, transport::ReportCallback callback);
    void stopReading();

    int readProperty(const QString& path, unsigned char* buffer, int id, int size);
    int writeProperty(const QString& path, const unsigned char* data, int id, int size);
    int readAddress(const QString& path, unsigned char* buffer, unsigned int address, int size);
    int writeAddress(const QString& path, const unsigned char* data, unsigned int address, int size);
    int w1WriteAddress(const QString& path, const unsigned char* data, unsigned int address, int length,
                       unsigned char mode);
    int notifyLighting(const QString& path, const unsigned char* frame, int size);
    // "Reset" and every firmware and boot-loader entry point: refused and
    // logged, always.
    int refuse(const QString& path, const QString& entryPoint);

    // The device path the program knows a listed collection by.
    static QString devicePath(const HidInterface& iface, int collection);

private:
    struct Listed
    {
        HidInterface iface;
        int collection = 0; // index into the descriptor's collections
        QString path;
        AccessLevel level = AccessLevel::ReadOnly;
        RealFamily family = RealFamily::ListOnly;
    };
    QVector<Listed> scan() const;
    bool find(const QString& path, Listed* out) const;
    // Runs frames through the policy; true only when every one was sent
    // (and, for W1, answered).
    bool deliver(const Listed& device, Operation operation, const std::vector<std::vector<std::uint8_t>>& frames,
                 const QString& entryPoint, std::vector<std::uint8_t>* answer = nullptr);
    bool sendW1(int fd, const Listed& device, const std::vector<std::uint8_t>& frame);
    void readerLoop();

    HidrawSetup m_setup;
    FrameLog m_log;
    FramePacer m_pacer;
    std::mutex m_sendMutex;

    struct Stream
    {
        int fd = -1;
        std::vector<std::uint8_t> reportIds; // empty: every report
    };
    std::mutex m_readMutex;
    std::vector<Stream> m_streams;
    transport::ReportCallback m_callback = nullptr;
    std::atomic<bool> m_stop{false};
    std::thread m_reader;
};
