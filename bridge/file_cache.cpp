#include "file_cache.h"

#include <QFile>
#include <QMutexLocker>

#include "logging.h"
#include "no_follow_file.h"

bool FileCache::contains(const QString& path) const
{
    QMutexLocker lock(&m_mutex);
    return m_texts.contains(path);
}

QString FileCache::text(const QString& path) const
{
    QMutexLocker lock(&m_mutex);
    return m_texts.value(path);
}

bool FileCache::load(const QString& path)
{
    QMutexLocker lock(&m_mutex);
    if (m_texts.contains(path))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    m_texts.insert(path, QString::fromUtf8(file.readAll()));
    return true;
}

void FileCache::store(const QString& path, const QString& text)
{
    QMutexLocker lock(&m_mutex);
    m_texts.insert(path, text);
    if (!m_pending.contains(path))
        m_pending.append(path);
}

QStringList FileCache::pending() const
{
    QMutexLocker lock(&m_mutex);
    return m_pending;
}

bool FileCache::hasPending() const
{
    QMutexLocker lock(&m_mutex);
    return !m_pending.isEmpty();
}

void FileCache::setFolder(const QString& folder)
{
    QMutexLocker lock(&m_mutex);
    m_folder = folder;
}

bool FileCache::writeOut()
{
    QMutexLocker lock(&m_mutex);
    QStringList failed;
    for (const QString& path : qAsConst(m_pending)) {
        QString error;
        if (!NoFollowFile::save(path, m_texts.value(path).toUtf8(), m_folder, &error)) {
            LOG_ERROR(QStringLiteral("Application Error: cannot write '%1': %2").arg(path, error));
            failed.append(path);
        }
    }
    m_pending = failed;
    return failed.isEmpty();
}

QMap<QString, QString> FileCache::entries() const
{
    QMutexLocker lock(&m_mutex);
    return m_texts;
}
