#include "client_profile_settings.h"

#include "client_profile.h"
#include "network_identity.h"
#include "tray_mode.h"

QString ClientProfileSettings::clientProfilePath() const
{
    return ClientProfile::resourcePath();
}

QMap<QString, QString> ClientProfileSettings::reloadClientProfile() const
{
    ClientProfile profile;
    profile.loadFromResource(SystemNetworkIdentity());
    return profile.map();
}

void ClientProfileSettings::setTrayMode(const QString& mode)
{
    setTrayModeText(mode);
}
