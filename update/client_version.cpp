#include "client_version.h"

#include <QStringList>

bool ClientVersion::parse(const QString &text, ClientVersion *version)
{
    const QStringList items = text.trimmed().split(QLatin1Char('.'));
    if (items.isEmpty() || items.size() > 4)
        return false;
    ClientVersion parsed;
    for (int i = 0; i < items.size(); ++i) {
        bool ok = false;
        const uint value = items.at(i).toUInt(&ok);
        if (!ok || value > 0xFFFF || items.at(i).startsWith(QLatin1Char('+')))
            return false;
        parsed.parts[size_t(i)] = quint16(value);
    }
    if (version)
        *version = parsed;
    return true;
}

ClientVersion ClientVersion::current()
{
    ClientVersion version;
    parse(QStringLiteral(ORVANTA_VERSION), &version);
    return version;
}

QString ClientVersion::text() const
{
    QStringList items;
    for (quint16 part : parts)
        items.append(QString::number(part));
    // Trailing zero parts beyond major.minor.patch are left out.
    while (items.size() > 3 && items.last() == QLatin1String("0"))
        items.removeLast();
    return items.join(QLatin1Char('.'));
}
