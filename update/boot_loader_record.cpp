#include "boot_loader_record.h"

#include <QMutexLocker>

void BootLoaderRecord::entered(const QString& deviceKey)
{
    QMutexLocker lock(&m_mutex);
    m_keys.insert(deviceKey.toUpper());
}

void BootLoaderRecord::finished(const QString& deviceKey)
{
    QMutexLocker lock(&m_mutex);
    m_keys.remove(deviceKey.toUpper());
}

bool BootLoaderRecord::awaitsFlash(const QString& deviceKey) const
{
    QMutexLocker lock(&m_mutex);
    return m_keys.contains(deviceKey.toUpper());
}
