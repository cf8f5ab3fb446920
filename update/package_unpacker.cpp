#include "package_unpacker.h"

#include "package_entry_path.h"
#include "package_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Walks `relativeFolder` below `root` one segment at a time, creating missing
// folders. An existing symbolic link on the way is refused rather than
// followed: it could point anywhere, and the target folder may sit in a
// shared place such as the system temporary folder.
bool makeFolders(const QString &root, const QStringList &segments, QString *folder, QString *error)
{
    QString current = root;
    for (const QString &segment : segments) {
        const QString next = current + QLatin1Char('/') + segment;
        const QFileInfo info(next);
        if (info.isSymLink()) {
            setError(error, QStringLiteral("%1 is a symbolic link").arg(next));
            return false;
        }
        if (!info.exists()) {
            if (!QDir(current).mkdir(segment)) {
                setError(error, QStringLiteral("cannot create folder %1").arg(next));
                return false;
            }
        } else if (!info.isDir()) {
            setError(error, QStringLiteral("%1 exists and is not a folder").arg(next));
            return false;
        }
        current = next;
    }
    *folder = current;
    return true;
}

bool writeOne(const QString &path, const char *data, quint32 size, QString *error)
{
    if (QFileInfo(path).isSymLink()) {
        setError(error, QStringLiteral("%1 is a symbolic link").arg(path));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        setError(error, QStringLiteral("cannot open %1 for writing: %2").arg(path, file.errorString()));
        return false;
    }
    const qint64 written = size ? file.write(data, size) : 0;
    const bool flushed = file.flush();
    file.close();
    if (written != qint64(size) || !flushed || file.error() != QFileDevice::NoError) {
        setError(error, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace

bool writePackageFiles(const PackagePayload &payload, const QString &targetFolder, QString *error)
{
    if (payload.entries.isEmpty()) {
        setError(error, QStringLiteral("package holds no files"));
        return false;
    }
    // Resolve every name before touching the disk.
    QVector<QStringList> paths;
    paths.reserve(payload.entries.size());
    for (const PackageEntry &entry : payload.entries) {
        QString relative;
        if (!PackageEntryPath::normalize(entry.name, &relative, error))
            return false;
        if (entry.offset < 0 || qint64(entry.offset) + entry.size > payload.bytes.size()) {
            setError(error, QStringLiteral("file \"%1\" lies outside the payload").arg(entry.name));
            return false;
        }
        paths.append(relative.split(QLatin1Char('/')));
    }

    if (targetFolder.isEmpty() || !QDir().mkpath(targetFolder)) {
        setError(error, QStringLiteral("cannot create target folder \"%1\"").arg(targetFolder));
        return false;
    }
    const QString root = QFileInfo(targetFolder).canonicalFilePath();
    if (root.isEmpty()) {
        setError(error, QStringLiteral("cannot resolve target folder %1").arg(targetFolder));
        return false;
    }

    for (int i = 0; i < payload.entries.size(); ++i) {
        const PackageEntry &entry = payload.entries.at(i);
        QStringList segments = paths.at(i);
        const QString fileName = segments.takeLast();
        QString folder;
        if (!makeFolders(root, segments, &folder, error)
            || !writeOne(folder + QLatin1Char('/') + fileName, payload.contentData(entry), entry.size,
                         error))
            return false;
    }
    return true;
}

bool unpackPackageData(const QByteArray &package, const QString &targetFolder, QString *error)
{
    PackagePayload payload;
    return decodePackage(package, &payload, error) && writePackageFiles(payload, targetFolder, error);
}

bool unpackPackage(const QString &packagePath, const QString &targetFolder, bool deletePackage,
                   QString *error)
{
    QByteArray package;
    if (!readPackageFile(packagePath, &package, error))
        return false;
    // A package is used once: it goes as soon as it has been read, whether
    // or not it turns out to be valid.
    if (deletePackage)
        QFile::remove(packagePath);

    PackagePayload payload;
    if (!decodePackage(package, &payload, error))
        return false;
    package.clear();  // keep only the payload in memory while writing
    return writePackageFiles(payload, targetFolder, error);
}
