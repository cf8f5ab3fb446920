#pragma once

#include <QByteArray>
#include <QMutex>

// The virtual keyboard and mouse that the command lists play through. It
// takes the 65-byte output reports of VirtualReport unchanged, one write
// each. Writes come from the executor's thread and the main thread; the
// client serialises them.
class VirtualHidClient
{
public:
    virtual ~VirtualHidClient();

    // Opens the virtual device; true when it is ready for reports. Opening
    // an open client closes it first.
    bool connect();
    // Closes the device; later writes fail until the next connect.
    void disconnect();
    bool isConnected() const;

    // Hands one report to the device. False when the client is not
    // connected, the report is not a keyboard or mouse report, or the
    // device refused it.
    bool write(const QByteArray& report);

protected:
    // Called with the client's lock held.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool writeReport(const QByteArray& report) = 0;

private:
    mutable QMutex m_mutex;
    bool m_connected = false;
};

// The name the window's slots use for the client they are handed.
using pvmulti_client = VirtualHidClient*;
