#include "virtual_hid_client.h"

#include "virtual_report.h"

VirtualHidClient::~VirtualHidClient() = default;

bool VirtualHidClient::connect()
{
    QMutexLocker lock(&m_mutex);
    if (m_connected)
        close();
    m_connected = open();
    return m_connected;
}

void VirtualHidClient::disconnect()
{
    QMutexLocker lock(&m_mutex);
    if (m_connected)
        close();
    m_connected = false;
}

bool VirtualHidClient::isConnected() const
{
    QMutexLocker lock(&m_mutex);
    return m_connected;
}

bool VirtualHidClient::write(const QByteArray& report)
{
    if (!VirtualReport::isKeyboard(report) && !VirtualReport::isMouse(report))
        return false;
    QMutexLocker lock(&m_mutex);
    return m_connected && writeReport(report);
}
