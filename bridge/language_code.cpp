#include "language_code.h"

QString languageCode(QLocale::Language language)
{
    switch (language) {
    case QLocale::Chinese:
        return QStringLiteral("zh");
    case QLocale::German:
        return QStringLiteral("de");
    case QLocale::Spanish:
        return QStringLiteral("es");
    case QLocale::French:
        return QStringLiteral("fr");
    case QLocale::Italian:
        return QStringLiteral("it");
    case QLocale::Japanese:
        return QStringLiteral("jp");
    default:
        return QStringLiteral("en");
    }
}
