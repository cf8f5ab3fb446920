#pragma once

#include <QObject>
#include <QString>

#include <functional>

#include "device_report_sender.h"

// Receives the input reports of the vendor interfaces on the transport
// library's reader thread and hands each, as the text of an "onDeviceData"
// event, to the thread this object lives in.
class DeviceDataForwarder : public QObject, public DeviceDataSender
{
    Q_OBJECT

public:
    using Sink = std::function<void(const QString& report)>;
    explicit DeviceDataForwarder(Sink sink, QObject* parent = nullptr);

    void sendDeviceData(const QString& report) override;

private:
    Sink m_sink;
};
