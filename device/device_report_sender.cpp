#include "device_report_sender.h"

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

namespace {

// Held while a report is handed over, so that replacing the sender waits
// for the reader thread to be done with the old one.
QMutex& senderMutex()
{
    static QMutex mutex;
    return mutex;
}

DeviceDataSender*& currentSender()
{
    static DeviceDataSender* sender = nullptr;
    return sender;
}

// Reports are at most one transfer buffer long.
constexpr unsigned int kMaxReportLength = transport::kTransferSize;

extern "C" void deviceReportCallback(unsigned char* report, unsigned int length)
{
    if (!report || length == 0 || length > kMaxReportLength)
        return;
    const QString text = DeviceReports::formatReport(report, length);
    QMutexLocker lock(&senderMutex());
    if (DeviceDataSender* sender = currentSender())
        sender->sendDeviceData(text);
}

} // namespace

namespace DeviceReports {

void setSender(DeviceDataSender* sender)
{
    QMutexLocker lock(&senderMutex());
    currentSender() = sender;
}

void removeSender(DeviceDataSender* sender)
{
    QMutexLocker lock(&senderMutex());
    if (currentSender() == sender)
        currentSender() = nullptr;
}

QString formatReport(const unsigned char* report, unsigned int length)
{
    if (!report)
        return QString();
    QStringList items;
    items.reserve(static_cast<int>(length));
    for (unsigned int i = 0; i < length; ++i)
        items << QString::number(report[i], 16);
    return items.join(QLatin1Char(','));
}

transport::ReportCallback callback()
{
    return &deviceReportCallback;
}

} // namespace DeviceReports
