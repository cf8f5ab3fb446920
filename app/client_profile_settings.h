#pragma once

#include "client_settings.h"

// The program's client settings: the client profile compiled into the
// program (":/file/confxml", read with the machine's network identity) and
// the process-wide tray mode that the tray icon follows.
class ClientProfileSettings : public ClientSettings
{
public:
    QString clientProfilePath() const override;
    QMap<QString, QString> reloadClientProfile() const override;
    void setTrayMode(const QString& mode) override;
};
