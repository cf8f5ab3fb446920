#include "profile_store.h"

#include "profile_document.h"
#include "profile_source.h"

QString profileForDevice(const ProfileSource* source, const QString& deviceKey)
{
    ProfileFinder finder;
    return finder.profileFor(source, deviceKey);
}

QString ProfileFinder::profileFor(const ProfileSource* source, const QString& deviceKey)
{
    if (!source || deviceKey.isEmpty())
        return QString();
    const QMap<QString, QString> entries = source->entries();
    // Paths no longer read are forgotten.
    for (auto it = m_known.begin(); it != m_known.end();) {
        if (entries.contains(it.key()))
            ++it;
        else
            it = m_known.erase(it);
    }
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        // Only a text holding the key can name it: the others are not parsed.
        if (!it.value().contains(deviceKey))
            continue;
        Known& known = m_known[it.key()];
        if (known.text.isNull() || known.text != it.value()) {
            ProfileDocument profile;
            known.text = it.value();
            known.deviceKey = profile.load(it.value()) ? profile.deviceKey() : QString();
        }
        if (known.deviceKey == deviceKey)
            return it.value();
    }
    return QString();
}
