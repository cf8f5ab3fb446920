#include "program_folder_plugins.h"

#include <QCoreApplication>
#include <QDir>

void keepPluginsOutOfProgramFolder()
{
    if (!QCoreApplication::instance())
        return;
    const QString folder = QCoreApplication::applicationDirPath();
    QCoreApplication::removeLibraryPath(folder);
    QCoreApplication::removeLibraryPath(QDir(folder).canonicalPath());
}
