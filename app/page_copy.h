#pragma once

#include <QMap>
#include <QString>

// The local copy of the pages. The page package "skn.dat" of the
// application folder is unpacked at every start into the template folder and
// kept there: under the application folder ("template") when the client
// profile's Debug is "true", else under the system's temporary folder. The
// start page is the profile's LoadPath; the page folder is the template
// folder joined with the start page's folder below the page root.
class PageCopy
{
public:
    // profile: the client profile map; applicationFolder with a trailing
    // "/"; tempFolder: the system's temporary folder.
    PageCopy(const QMap<QString, QString>& profile, const QString& applicationFolder, const QString& tempFolder);

    // Unpacks the package into the template folder when the temporary folder
    // exists and the package is there. A package that cannot be unpacked is
    // logged; what was already written stays. False when nothing was
    // unpacked.
    bool unpack() const;

    bool debug() const { return m_debug; }
    QString startPage() const { return m_startPage; }
    QString templateFolder() const { return m_templateFolder; }
    QString pageFolder() const { return m_pageFolder; }
    QString packagePath() const { return m_package; }

    // The page folder for a start page: its address without the 32-character
    // page root, with every "/<name>.html" removed.
    static QString relativePageFolder(const QString& loadPath);

private:
    bool m_debug = false;
    QString m_tempFolder;
    QString m_package;
    QString m_startPage;
    QString m_templateFolder;
    QString m_pageFolder;
};
