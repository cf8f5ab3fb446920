#pragma once

#include "virtual_hid_client.h"

#include <QElapsedTimer>
#include <QString>

#include <memory>

// A virtual device that writes every report it is given to a file, one JSON
// line each, appended with a single write:
//   {"t":12,"report":"40,09,07,00,00,04,00,00,00,00,00"}
// "t" counts milliseconds from the first report written; "report" holds the
// first 11 bytes as lower-case hexadecimal. An inner client, when given,
// receives every report as well (the program writes the log beside its
// uinput device).
class ReportLogVirtualHid : public VirtualHidClient
{
public:
    explicit ReportLogVirtualHid(const QString& path, std::unique_ptr<VirtualHidClient> inner = nullptr);
    ~ReportLogVirtualHid() override;

protected:
    // Open when the log file opens, whatever the inner client does.
    bool open() override;
    void close() override;
    bool writeReport(const QByteArray& report) override;

private:
    QString m_path;
    std::unique_ptr<VirtualHidClient> m_inner;
    int m_fd = -1;
    QElapsedTimer m_clock;
};
