#include "command_request.h"

#include <QJsonDocument>
#include <QJsonObject>

DecodedRequest decodeRequest(const QString& request)
{
    DecodedRequest decoded;
    if (request.contains(QLatin1String("maxsizeWindow"))) {
        decoded.kind = DecodedRequest::MaximizeWindow;
        return decoded;
    }
    if (request.contains(QLatin1String("restoreWindow"))) {
        decoded.kind = DecodedRequest::RestoreWindow;
        return decoded;
    }
    const QJsonDocument document = QJsonDocument::fromJson(request.toUtf8());
    if (!document.isObject()) {
        decoded.kind = DecodedRequest::NotAnObject;
        return decoded;
    }
    decoded.args = document.object().toVariantMap();
    if (!decoded.args.contains(QStringLiteral("FuncName"))) {
        decoded.kind = DecodedRequest::NoFuncName;
        return decoded;
    }
    decoded.kind = DecodedRequest::Command;
    decoded.name = decoded.args.value(QStringLiteral("FuncName")).toString();
    return decoded;
}
