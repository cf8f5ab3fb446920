#include "profile_store.h"

#include "profile_document.h"
#include "profile_source.h"

QString profileForDevice(const ProfileSource* source, const QString& deviceKey)
{
    if (!source || deviceKey.isEmpty())
        return QString();
    const QMap<QString, QString> entries = source->entries();
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
