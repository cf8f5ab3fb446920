#include "file_cache.h"

#include <QFile>
#include <QMutexLocker>
#include <QSaveFile>

#include "logging.h"
#include "whole_file.h"

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

bool FileCache::writeOut()
{
    QMutexLocker lock(&m_mutex);
    for (const QString& path : qAsConst(m_pending)) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
            LOG_ERROR(QStringLiteral("Application Error: cannot write '%1': %2")
                         .arg(path, file.errorString()));
            return false;
        }
        if (!writeWholeFile(file, m_texts.value(path).toUtf8())) {
            LOG_ERROR(QStringLiteral("Application Error: cannot write '%1': %2")
                         .arg(path, file.errorString()));
            return false;
        }
    }
    m_pending.clear();
    return true;
}

QMap<QString, QString> FileCache::entries() const
{
    QMutexLocker lock(&m_mutex);
    return m_texts;
}
