#pragma once

#include <QJsonObject>
#include <QString>

// Shows an offered update to the user. The program's window implements it
// with the update dialog; without a window there is nobody to ask.
class UpdatePrompt
{
public:
    virtual ~UpdatePrompt() = default;

    // ret: the "ret" object of the upgrade service's answer ("description",
    // "package", "deployment", ...); firmwareVersion: the version the query
    // was made for. A prompt already shown is replaced.
    virtual void offerUpdate(const QJsonObject& ret, const QString& firmwareVersion) = 0;
};
