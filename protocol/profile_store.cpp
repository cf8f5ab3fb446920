#include "profile_store.h"

#include "file_cache.h"
#include "profile_document.h"

QString profileForDevice(const FileCache* cache, const QString& deviceKey)
{
    if (!cache || deviceKey.isEmpty())
        return QString();
    const QMap<QString, QString> entries = cache->entries();
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        // Only a text holding the key can name it: the others are not parsed.
        if (!it.value().contains(deviceKey))
            continue;
        ProfileDocument profile;
        if (profile.load(it.value()) && profile.deviceKey() == deviceKey)
            return it.value();
    }
    return QString();
}
