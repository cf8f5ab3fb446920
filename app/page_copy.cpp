#include "page_copy.h"

#include "local_resources.h"
#include "logging.h"
#include "private_folder.h"
#include "staged_unpack.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

PageCopy::PageCopy(const QMap<QString, QString>& profile, const QString& applicationFolder,
                   const QString& privateFolder, const QString& shippedFolder)
    : m_debug(profile.value(QStringLiteral("Debug")) == QLatin1String("true"))
    , m_package(applicationFolder + QStringLiteral("skn.dat"))
    , m_startPage(profile.value(QStringLiteral("LoadPath")))
{
    if (!shippedFolder.isEmpty() && shippedFolder != applicationFolder) {
        m_shippedPackage = shippedFolder + QStringLiteral("skn.dat");
        if (!QFile::exists(m_package))
            m_package = m_shippedPackage;
    }
    if (m_debug)
        m_templateFolder = QDir(applicationFolder).filePath(QStringLiteral("template"));
    else if (isPrivateFolder(privateFolder))
        m_templateFolder = privateFolder + QStringLiteral("/template");
    if (!m_templateFolder.isEmpty())
        m_pageFolder = m_templateFolder + QLatin1Char('/') + relativePageFolder(m_startPage);
}

bool PageCopy::unpack()
{
    m_why.clear();
    if (m_templateFolder.isEmpty()) {
        m_why = QStringLiteral("There is no private folder for the copy of the pages.");
        LOG_ERROR(QStringLiteral("Application Error: no private folder for the local page copy; "
                                 "pages are not served from a local copy"));
        return false;
    }
    if (!QFile::exists(m_package)) {
        m_why = QStringLiteral("The page package %1 is missing.").arg(m_package);
        return false;
    }
    QString error;
    if (unpackReplacingFolder(m_package, m_templateFolder, &error))
        return true;
    m_why = QStringLiteral("The page package %1 could not be unpacked: %2").arg(m_package, error);
    LOG_ERROR(QStringLiteral("Application Error: cannot unpack %1: %2").arg(m_package, error));
    // A page update of the user's that does not unpack leaves the shipped
    // pages in use.
    if (!m_shippedPackage.isEmpty() && m_package != m_shippedPackage && QFile::exists(m_shippedPackage)
        && unpackReplacingFolder(m_shippedPackage, m_templateFolder, &error)) {
        LOG_INFO(QStringLiteral("Application Info: the shipped pages %1 are used instead").arg(m_shippedPackage));
        m_package = m_shippedPackage;
        m_why.clear();
        return true;
    }
    return false;
}

bool PageCopy::holdsStartPage() const
{
    return !m_templateFolder.isEmpty() && LocalResources::resolve(m_startPage, m_templateFolder).found;
}

QString PageCopy::relativePageFolder(const QString& loadPath)
{
    static const QRegularExpression page(QStringLiteral("/[^/]*.html"));
    QString folder = loadPath.mid(LocalResources::kPageRootLength);
    folder.remove(page);
    return folder;
}
