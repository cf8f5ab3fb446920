#include "application_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QMutex>

QString applicationFolder()
{
    if (!QCoreApplication::instance())
        return QString();
    // The executable does not move while it runs: the answer is worked out
    // once (the first time an application object exists) and kept.
    static QMutex mutex;
    static QString folder;
    QMutexLocker lock(&mutex);
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    return folder;
}

QString applicationFilePath(const QString& name)
{
    const QString folder = applicationFolder();
    if (folder.isEmpty())
        return QString();
    return QDir(folder).filePath(name);
}
