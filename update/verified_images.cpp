#include "verified_images.h"

#include "firmware_image.h"
#include "minisign.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>

namespace {

// At most this many images are remembered; the oldest goes first.
constexpr int kMaxRemembered = 32;

struct Registry {
    QMutex mutex;
    QHash<QString, QByteArray> hashes;  // clean absolute path -> BLAKE2b-256
    QStringList order;
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

QString keyOf(const QString &path)
{
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

} // namespace

namespace VerifiedImages {

void recordInstalled(const QStringList &paths)
{
    for (const QString &path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.size() > FirmwareImage::kImageSize)
            continue;
        // Only what starts like an image (its signature, then 0).
        const QByteArray bytes = file.read(FirmwareImage::kImageSize + 1);
        if (!bytes.startsWith(QByteArray::fromHex("1610000000000000")))
            continue;
        const QByteArray hash = Minisign::blake2b(bytes, 32);
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        const QString key = keyOf(path);
        r.order.removeAll(key);
        r.order.append(key);
        r.hashes.insert(key, hash);
        while (r.order.size() > kMaxRemembered)
            r.hashes.remove(r.order.takeFirst());
    }
}

bool take(const QString &path, const QByteArray &bytes)
{
    const QByteArray hash = Minisign::blake2b(bytes, 32);
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    const QString key = keyOf(path);
    if (r.hashes.value(key) != hash)
        return false;
    r.hashes.remove(key);
    r.order.removeAll(key);
    return true;
}

void clear()
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    r.hashes.clear();
    r.order.clear();
}

} // namespace VerifiedImages
