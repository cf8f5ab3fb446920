#pragma once

#include <QMutex>
#include <QSet>
#include <QString>

// The devices this process restarted into their boot loader whose flash did
// not finish. Only such a device may be flashed again through a boot loader
// that waits without it: a boot loader says nothing of the device it
// belongs to, so one found waiting on its own could be any device of the
// vendor, and flashing it with an image for another would make that device
// something it is not. Shared by the firmware updates of one program;
// thread-safe.
class BootLoaderRecord
{
public:
    void entered(const QString& deviceKey);
    void finished(const QString& deviceKey);
    bool awaitsFlash(const QString& deviceKey) const;

private:
    mutable QMutex m_mutex;
    QSet<QString> m_keys;
};
