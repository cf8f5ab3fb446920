#include "page_copy.h"

#include "local_resources.h"
#include "logging.h"
#include "package_unpacker.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

PageCopy::PageCopy(const QMap<QString, QString>& profile, const QString& applicationFolder,
                   const QString& tempFolder)
    : m_debug(profile.value(QStringLiteral("Debug")) == QLatin1String("true"))
    , m_tempFolder(tempFolder)
    , m_package(applicationFolder + QStringLiteral("skn.dat"))
    , m_startPage(profile.value(QStringLiteral("LoadPath")))
{
    m_templateFolder = m_debug ? QDir(applicationFolder).filePath(QStringLiteral("template"))
                               : QDir::toNativeSeparators(tempFolder) + QStringLiteral("/template");
    m_pageFolder = m_templateFolder + QLatin1Char('/') + relativePageFolder(m_startPage);
}

bool PageCopy::unpack() const
{
    if (!QDir(m_tempFolder).exists() || !QFile::exists(m_package))
        return false;
    QString error;
    if (unpackPackage(m_package, m_templateFolder, false, &error))
        return true;
    LOG_ERROR(QStringLiteral("Application Error: cannot unpack %1: %2").arg(m_package, error));
    return false;
}

QString PageCopy::relativePageFolder(const QString& loadPath)
{
    static const QRegularExpression page(QStringLiteral("/[^/]*.html"));
    QString folder = loadPath.mid(LocalResources::kPageRootLength);
    folder.remove(page);
    return folder;
}
