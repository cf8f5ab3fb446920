#include "local_settings.h"

#include <QDir>
#include <QSettings>

namespace {
const char kGroup[] = "info";
}

LocalSettings::LocalSettings(const QString &folder)
    : m_filePath(QDir(folder).filePath(QStringLiteral("conf.ini")))
{
}

QString LocalSettings::filePath() const
{
    return m_filePath;
}

QString LocalSettings::read(const QString &key) const
{
    if (key.isEmpty())
        return QString();
    QSettings settings(m_filePath, QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    settings.beginGroup(QLatin1String(kGroup));
    return settings.value(key).toString();
}

bool LocalSettings::write(const QString &key, const QString &value) const
{
    if (key.isEmpty())
        return false;
    QSettings settings(m_filePath, QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    if (settings.status() != QSettings::NoError)
        return false;
    settings.beginGroup(QLatin1String(kGroup));
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}
