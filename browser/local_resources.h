#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// Local copies of the pages. The start page lives under a page root of the
// form "http://" + an 18-character page host + "/local/" (32 characters);
// a request under that root is answered from the local page folder when the
// file exists there, and goes to the network otherwise.
namespace LocalResources {

// Length of the page root: "http://", the page host, "/local/".
constexpr int kPageRootLength = 32;

// The scheme that serves the local copies. Page-root addresses whose local
// file exists are redirected to it with only the scheme changed, so that
// relative addresses inside a local page stay under the page root.
QString localScheme();       // "orvanta-local"
// The image scheme; Chromium lower-cases scheme names, so "Orvanta" is
// registered as "orvanta". Its host is the domain "settings".
QString imageScheme();       // "orvanta"
QString imageDomain();       // "settings"

// The folder request paths are resolved against; thread-safe, read on the
// browser's IO thread.
void setPageFolder(const QString& folder);
QString pageFolder();

struct Resource {
    bool found = false;
    QString path;       // the local file
    QByteArray mime;    // "text/html", "application/javascript", "text/css", image types
    QByteArray data;    // the body
};

// The local answer for a page-root address (given as text, as the browser
// has it), or found == false when the request must go to the network:
//  - an address without "local" is never local;
//  - relative path = the address without its first 32 characters, cut at
//    the first "?";
//  - the file folder + "/" + relative path must exist;
//  - an address ending in ".png" or ".jpg" is answered with the raw file;
//  - any other address is read as UTF-8 text, and an empty text is not
//    answered; the MIME type is "text/html" unless the address contains
//    ".js" or ".css", then "application/javascript" when the local path
//    contains ".js", else "text/css".
Resource resolve(const QString& address, const QString& folder);

// True when the address is under a page root with an existing local file,
// i.e. resolve() would answer it.
bool isServedLocally(const QUrl& url, const QString& folder);

// True for an http or https address below a page root: its first 32
// characters end with "/local/". Such an address is only ever answered from
// the local page copy, never from the network: a page from there would be
// taken for one of the program's own.
bool isBelowPageRoot(const QUrl& url);

// True for a page of the local page scheme: the only pages whose requests
// the program answers.
bool isLocalPage(const QUrl& url);

// http://host/local/x?q  <->  orvanta-local://host/local/x?q
QUrl toLocalUrl(const QUrl& networkUrl);
QUrl toNetworkUrl(const QUrl& localUrl);

// The image scheme's file: relative part = the address without its first
// 32 characters and its query; folder = that part up to its first "/";
// tail = the part from its last "/image" on. Empty when the address has no
// ".png" (the request is refused).
QString imagePath(const QString& address, const QString& folder);

} // namespace LocalResources
