#include "local_resources.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

namespace LocalResources {

namespace {
QMutex folderMutex;
QString folderValue;

// The file an address names: without its query and its fragment (a page
// that keeps its view in the fragment is reloaded with it).
QString withoutQuery(const QString& text)
{
    static const QRegularExpression query(QStringLiteral("[?#].*"));
    QString result = text;
    result.remove(query);
    return result;
}

QByteArray imageMime(const QString& address)
{
    return address.endsWith(QLatin1String(".png")) ? QByteArrayLiteral("image/png")
                                                   : QByteArrayLiteral("image/jpeg");
}
} // namespace

QString localScheme() { return QStringLiteral("orvanta-local"); }
QString imageScheme() { return QStringLiteral("orvanta"); }
QString imageDomain() { return QStringLiteral("settings"); }

void setPageFolder(const QString& folder)
{
    QMutexLocker lock(&folderMutex);
    folderValue = folder;
}

QString pageFolder()
{
    QMutexLocker lock(&folderMutex);
    return folderValue;
}

Resource resolve(const QString& address, const QString& folder)
{
    Resource result;
    if (!address.contains(QLatin1String("local")) || folder.isEmpty())
        return result;
    const QString relative = withoutQuery(address.mid(kPageRootLength));
    // The relative path must stay below the folder: ".." segments would
    // let a page read any file of the machine.
    if (relative.isEmpty() || relative.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return result;
    const QString path = folder + QLatin1Char('/') + relative;
    QFileInfo info(path);
    if (!info.isFile())
        return result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    const QByteArray bytes = file.readAll();

    if (address.endsWith(QLatin1String(".png")) || address.endsWith(QLatin1String(".jpg"))) {
        result.mime = imageMime(address);
    } else {
        if (bytes.isEmpty())
            return result;
        if (!address.contains(QLatin1String(".js")) && !address.contains(QLatin1String(".css")))
            result.mime = QByteArrayLiteral("text/html");
        else if (path.contains(QLatin1String(".js")))
            result.mime = QByteArrayLiteral("application/javascript");
        else
            result.mime = QByteArrayLiteral("text/css");
    }
    result.found = true;
    result.path = path;
    result.data = bytes;
    return result;
}

bool isServedLocally(const QUrl& url, const QString& folder)
{
    const QString scheme = url.scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return false;
    return resolve(url.toString(), folder).found;
}

bool isBelowPageRoot(const QUrl& url)
{
    const QString scheme = url.scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return false;
    const QString address = url.toString();
    return address.size() > kPageRootLength && address.left(kPageRootLength).endsWith(QLatin1String("/local/"));
}

bool isLocalPage(const QUrl& url)
{
    return url.scheme() == localScheme();
}

QUrl toLocalUrl(const QUrl& networkUrl)
{
    QUrl url = networkUrl;
    url.setScheme(localScheme());
    return url;
}

QUrl toNetworkUrl(const QUrl& localUrl)
{
    QUrl url = localUrl;
    url.setScheme(QStringLiteral("http"));
    return url;
}

QString imagePath(const QString& address, const QString& folder)
{
    if (!address.contains(QLatin1String(".png")))
        return QString();
    const QString relative = withoutQuery(address.mid(kPageRootLength));
    if (relative.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return QString();
    const int slash = relative.indexOf(QLatin1Char('/'));
    const QString top = slash < 0 ? relative : relative.left(slash);
    const int image = relative.lastIndexOf(QLatin1String("/image"));
    const QString tail = image < 0 ? QString() : relative.mid(image);
    return folder + QLatin1Char('/') + top + tail;
}

} // namespace LocalResources
