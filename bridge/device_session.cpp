#include "device_session.h"

#include "device_commands.h"
#include "device_data_handler.h"

DeviceSession::DeviceSession(Worker worker)
    : m_thread(worker == Worker::OwnThread ? new QThread : nullptr)
    , m_writer(new device_data_handler)
{
    // Device profiles are found among the files the requests have read.
    m_writer->setProfileSource(&m_fileCache);
}

DeviceSession::~DeviceSession()
{
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
    delete m_writer;
    delete m_thread;
}

int DeviceSession::start()
{
    m_writer->registerDefaultDrivers();
    if (m_thread && m_writer->thread() != m_thread) {
        m_writer->moveToThread(m_thread);
        m_thread->start();
    }
    refreshDeviceMap();
    return m_deviceMap.size();
}

void DeviceSession::answerOldestWrite(bool success)
{
    if (m_pendingAnswers.isEmpty())
        return;
    const QueryCallbackPtr callback = m_pendingAnswers.dequeue();
    if (!callback)
        return;
    if (success)
        callback->success(QStringLiteral("writeDevices success!"));
    else
        callback->failure(0, QStringLiteral("writeDevices failed!"));
}

void DeviceSession::refreshDeviceMap()
{
    m_deviceMap = m_functions.listDevices();
}

void DeviceSession::periodicTick()
{
    if (!m_w1Reset.tick())
        return;
    for (const QString& key : W1ResetPass::w1Keys(m_deviceMap))
        DeviceCommands::restDevice(m_functions, m_deviceMap.value(key).value(QStringLiteral("Version")).toString());
}
