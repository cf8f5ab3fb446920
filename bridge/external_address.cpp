#include "external_address.h"

#include <QUrl>

QString externalAddress(const QString& text)
{
    const QUrl url(text);
    if (!url.isValid() || url.isRelative())
        return QString();
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        if (url.host().isEmpty())
            return QString();
    } else if (scheme == QLatin1String("mailto")) {
        if (url.path().isEmpty())
            return QString();
    } else {
        return QString();
    }
    return url.toString(QUrl::FullyEncoded);
}
