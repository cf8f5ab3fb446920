#include "whole_file.h"

#include <QByteArray>
#include <QSaveFile>

bool writeWholeFile(QSaveFile& file, const QByteArray& bytes)
{
    if (!file.isOpen())
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return commitWholeFile(file);
}

bool commitWholeFile(QSaveFile& file)
{
    if (!file.isOpen())
        return false;
    if (file.error() != QFileDevice::NoError || !file.flush() || file.error() != QFileDevice::NoError) {
        // The partial file is removed when the QSaveFile goes away.
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
