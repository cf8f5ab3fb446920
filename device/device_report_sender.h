#pragma once

#include <QString>

#include "transport_entry_points.h"

// Where the input reports of the vendor interfaces go: the browser host
// implements this and raises the page event "onDeviceData" with the text.
// sendDeviceData is called on the transport library's reader thread; it
// must not wait for the thread that installs senders (a queued signal is fine).
class DeviceDataSender
{
public:
    virtual ~DeviceDataSender() = default;
    virtual void sendDeviceData(const QString& report) = 0;
};

namespace DeviceReports {

// Installs the process-wide sender (nullptr: reports are dropped). Returns
// only when no report is being handed to the previous sender, so the
// previous one may be destroyed right after.
void setSender(DeviceDataSender* sender);
// Removes sender if it is the installed one (reports are then dropped);
// returns, like setSender, only when it is no longer being handed a report.
void removeSender(DeviceDataSender* sender);

// The report as text: each byte as unpadded lower-case hexadecimal, joined
// by "," (0x05 0x1a gives "5,1a").
QString formatReport(const unsigned char* report, unsigned int length);

// The callback handed to DeviceData: formats the report and passes it to
// the sender.
transport::ReportCallback callback();

} // namespace DeviceReports
