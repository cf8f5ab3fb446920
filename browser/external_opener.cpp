#include "external_opener.h"

#include <QDesktopServices>

void DesktopOpener::open(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}
