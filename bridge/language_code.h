#pragma once

#include <QLocale>
#include <QString>

// The interface language code the pages use for a desktop language:
// Chinese "zh", German "de", English "en", Spanish "es", French "fr",
// Italian "it", Japanese "jp"; every other language "en".
QString languageCode(QLocale::Language language);
