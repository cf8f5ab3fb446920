#pragma once

#include <QString>

// The application folder: the folder of the running executable, where the
// program keeps its log, settings, page files, packages and the transport
// library. Empty before a QCoreApplication exists.
QString applicationFolder();

// name joined to the application folder ("" before a QCoreApplication exists).
QString applicationFilePath(const QString& name);
