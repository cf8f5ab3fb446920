#include "application_folder.h"

#include <QCoreApplication>
#include <QDir>

QString applicationFolder()
{
    if (!QCoreApplication::instance())
        return QString();
    return QCoreApplication::applicationDirPath();
}

QString applicationFilePath(const QString& name)
{
    const QString folder = applicationFolder();
    if (folder.isEmpty())
        return QString();
    return QDir(folder).filePath(name);
}
