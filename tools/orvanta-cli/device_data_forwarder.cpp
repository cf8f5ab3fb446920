#include "device_data_forwarder.h"

#include <QMetaObject>

DeviceDataForwarder::DeviceDataForwarder(Sink sink, QObject* parent)
    : QObject(parent)
    , m_sink(std::move(sink))
{
}

void DeviceDataForwarder::sendDeviceData(const QString& report)
{
    QMetaObject::invokeMethod(this, [this, report] { m_sink(report); }, Qt::QueuedConnection);
}
