#include "command_host.h"

#include "client_profile.h"
#include "network_identity.h"

QMap<QString, QString> CommandHost::reloadClientProfile()
{
    ClientProfile profile;
    profile.loadFromResource(SystemNetworkIdentity());
    return profile.map();
}
