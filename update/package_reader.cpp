#include "package_reader.h"

#include "package_entry_path.h"
#include "package_format.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Keeps the names and sizes, checks the names, drops the contents.
class Listing : public PayloadStreamParser::Handler
{
public:
    explicit Listing(PackagePayload &payload) : m_payload(payload) {}

    bool payloadVersion(const QString &version, QString *) override
    {
        m_payload.version = version;
        return true;
    }
    bool beginFile(const QString &name, quint32 size, QString *why) override
    {
        if (!PackageEntryPath::normalize(name, nullptr, why))
            return false;
        PackageEntry entry;
        entry.name = name;
        entry.size = size;
        m_payload.entries.append(entry);
        return true;
    }
    bool fileData(const char *, int, QString *) override { return true; }
    bool endFile(QString *) override { return true; }

private:
    PackagePayload &m_payload;
};

bool inspect(PackageSource &source, PackagePayload *payload, QString *error, PackageStreamInfo *info)
{
    PackagePayload result;
    Listing listing(result);
    if (!readPackageStream(source, listing, error, info))
        return false;
    if (payload)
        *payload = result;
    return true;
}

} // namespace

bool inspectPackage(const QString &path, PackagePayload *payload, QString *error, PackageStreamInfo *info)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (error)
            *error = QStringLiteral("cannot open %1").arg(path);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    FilePackageSource source(fd, status.st_size);
    const bool ok = inspect(source, payload, error, info);
    ::close(fd);
    return ok;
}

bool inspectPackageData(const QByteArray &package, PackagePayload *payload, QString *error, PackageStreamInfo *info)
{
    MemoryPackageSource source(package);
    return inspect(source, payload, error, info);
}
