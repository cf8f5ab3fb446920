#include "music_data_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QString musicDataText(const Spectrum::Values& leftAmplitudes)
{
    QJsonArray data;
    for (const int amplitude : leftAmplitudes)
        data.append(amplitude);
    QJsonObject object;
    object.insert(QStringLiteral("data"), data);
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}
