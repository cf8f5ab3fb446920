#include "local_settings.h"

#include <QDir>
#include <QMap>
#include <QSettings>
#include <QStringList>
#include <QVariant>

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

namespace {

// Characters beyond the Basic Multilingual Plane travel as surrogate pairs,
// which QSettings hands its text codec one half at a time: the codec drops
// them.
bool hasSurrogates(const QVariant &value)
{
    const QStringList texts = value.userType() == QMetaType::QStringList ? value.toStringList()
                                                                          : QStringList(value.toString());
    for (const QString &text : texts) {
        for (const QChar c : text) {
            if (c.isSurrogate())
                return true;
        }
    }
    return false;
}

} // namespace

bool LocalSettings::write(const QString &key, const QString &value) const
{
    if (key.isEmpty())
        return false;
    const QString fullKey = QLatin1String(kGroup) + QLatin1Char('/') + key;
    QMap<QString, QVariant> all;
    {
        QSettings settings(m_filePath, QSettings::IniFormat);
        settings.setIniCodec("UTF-8");
        if (settings.status() != QSettings::NoError)
            return false;
        bool escaped = hasSurrogates(value);
        const QStringList keys = settings.allKeys();
        for (const QString &existing : keys) {
            all.insert(existing, settings.value(existing));
            escaped = escaped || hasSurrogates(all.value(existing));
        }
        if (!escaped) {
            settings.setValue(fullKey, value);
            settings.sync();
            return settings.status() == QSettings::NoError;
        }
    }
    // Some text holds such characters: the whole file is written without a
    // codec, every character beyond ASCII as an escape ("\xd83d\xde00"),
    // which reads back the same with or without one. Every value is set
    // again, as read above, so none is taken from the file through the
    // wrong codec.
    all.insert(fullKey, value);
    QSettings settings(m_filePath, QSettings::IniFormat);
    settings.clear();
    for (auto it = all.constBegin(); it != all.constEnd(); ++it)
        settings.setValue(it.key(), it.value());
    settings.sync();
    return settings.status() == QSettings::NoError;
}
