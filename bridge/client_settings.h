#pragma once

#include <QMap>
#include <QString>

// What the page commands read and change of the program's own settings
// beyond "conf.ini": the client profile compiled into the program and the
// process-wide tray mode. The application shell implements it; the command
// host hands it to the commands.
class ClientSettings
{
public:
    virtual ~ClientSettings() = default;

    // The resource the client profile document is read from. "ReadFileToStr"
    // serves it for every path that names "conf.xml".
    virtual QString clientProfilePath() const = 0;

    // The client profile map, loaded afresh from the compiled document
    // ("CloseX" reads its CloseFunc).
    virtual QMap<QString, QString> reloadClientProfile() const = 0;

    // Sets the tray mode text ("EnableTray", "DisableTray").
    virtual void setTrayMode(const QString& mode) = 0;
};
