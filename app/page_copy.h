#pragma once

#include <QMap>
#include <QString>

// The local copy of the pages, in the template folder: under the application
// folder ("template") when the client profile's Debug is "true", else in the
// user's private folder, where no other user of the machine can place pages
// of their own (pages served from it run with every command). Without a
// private folder there is no local copy. The page package "skn.dat" of the
// application folder is unpacked at every start into a fresh staging folder
// that then replaces the old copy whole, so nothing but the package's files
// is served; the package is kept. The start page is the profile's LoadPath;
// the page folder is the template folder joined with the start page's folder
// below the page root.
class PageCopy
{
public:
    // profile: the client profile map; applicationFolder with a trailing
    // "/"; privateFolder: a folder only this user can reach. shippedFolder
    // (an installed program's data, with a trailing "/"): the package
    // shipped there is used when the application folder holds none (a
    // page update downloaded by the user lands in the application folder),
    // and when the user's cannot be unpacked.
    PageCopy(const QMap<QString, QString>& profile, const QString& applicationFolder,
             const QString& privateFolder, const QString& shippedFolder = QString());

    // Unpacks the package into the template folder when there is one and
    // the package is there. No template folder, or a package that cannot be
    // unpacked, is logged; the copy is then left as it was. False when
    // nothing was unpacked; why() then says why.
    bool unpack();
    QString why() const { return m_why; }

    // True when the copy holds the start page, so that it can be served.
    bool holdsStartPage() const;

    bool debug() const { return m_debug; }
    QString startPage() const { return m_startPage; }
    // "" when there is no local copy (no private folder).
    QString templateFolder() const { return m_templateFolder; }
    QString pageFolder() const { return m_pageFolder; }
    QString packagePath() const { return m_package; }

    // The page folder for a start page: its address without the 32-character
    // page root, with every "/<name>.html" removed.
    static QString relativePageFolder(const QString& loadPath);

private:
    bool m_debug = false;
    QString m_package;
    QString m_shippedPackage;
    QString m_startPage;
    QString m_templateFolder;
    QString m_pageFolder;
    QString m_why;
};
