#include "report_log_virtual_hid.h"

#include "logging.h"
#include "virtual_report.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

ReportLogVirtualHid::ReportLogVirtualHid(const QString& path, std::unique_ptr<VirtualHidClient> inner)
    : m_path(path)
    , m_inner(std::move(inner))
{
}

ReportLogVirtualHid::~ReportLogVirtualHid()
{
    disconnect();
}

bool ReportLogVirtualHid::open()
{
    if (m_inner)
        m_inner->connect();
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        LOG_ERROR(QStringLiteral("Application Error: cannot open the report log %1: %2")
                      .arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    return true;
}

void ReportLogVirtualHid::close()
{
    if (m_inner)
        m_inner->disconnect();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool ReportLogVirtualHid::writeReport(const QByteArray& report)
{
    if (m_inner)
        m_inner->write(report);
    if (!m_clock.isValid())
        m_clock.start();
    const QByteArray line = QStringLiteral("{\"t\":%1,\"report\":\"%2\"}\n")
                                .arg(m_clock.elapsed())
                                .arg(VirtualReport::headText(report))
                                .toUtf8();
    return ::write(m_fd, line.constData(), size_t(line.size())) == ssize_t(line.size());
}
