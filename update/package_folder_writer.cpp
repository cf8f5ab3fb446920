#include "package_folder_writer.h"

#include "folder_below.h"
#include "package_entry_path.h"
#include "program_files.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using folder_below::folderOf;
using folder_below::nameOf;

constexpr int kCompareChunk = 256 * 1024;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Reads exactly size bytes at offset; false at the end of the file or on
// an error.
bool readAt(int fd, char *data, qint64 size, qint64 offset)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, data, size_t(size), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

} // namespace

// The folders of the target folder, opened one segment after the other,
// never through a link, to compare files with; the last one (or the fact
// that it cannot be opened) is kept, since the files of a package come
// folder by folder.
class PackageFolderWriter::Folders
{
public:
    explicit Folders(int base) : m_base(base) {}
    ~Folders() { close(); }

    // -1 when the folder is missing or not a folder.
    int open(const QString &relative)
    {
        if (m_path == relative && (m_fd >= 0 || m_missing))
            return m_fd;
        close();
        const int fd = folder_below::open(m_base, relative);
        m_fd = fd;
        m_path = relative;
        m_missing = fd < 0;
        return fd;
    }

private:
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        m_missing = false;
    }

    int m_base;
    QString m_path;
    int m_fd = -1;
    bool m_missing = false;  // m_path could not be opened
};

PackageFolderWriter::PackageFolderWriter(int staging, const QString &targetRoot, const QString &reservedName,
                                         int target)
    : m_staging(staging)
    , m_target(target >= 0 ? new Folders(target) : nullptr)
    , m_targetRoot(targetRoot)
    , m_reservedName(reservedName)
{
}

PackageFolderWriter::~PackageFolderWriter()
{
    if (m_file >= 0)
        ::close(m_file);
    if (m_compare >= 0)
        ::close(m_compare);
}

QVector<StagedFile> PackageFolderWriter::files() const
{
    return m_files;
}

QVector<UnchangedFile> PackageFolderWriter::unchanged() const
{
    return m_unchanged;
}

bool PackageFolderWriter::beginFile(const QString &name, quint32 size, QString *why)
{
    QString relative;
    if (!PackageEntryPath::normalize(name, &relative, why))
        return false;
    if (!m_reservedName.isEmpty() && relative.section(QLatin1Char('/'), 0, 0) == m_reservedName) {
        *why = QStringLiteral("file name \"%1\" refused: it is the unpacking's own folder").arg(name);
        return false;
    }
    m_current = relative;
    m_head.clear();
    m_compared = 0;
    // A name seen before is judged by its last content.
    for (int i = m_unchanged.size() - 1; i >= 0; --i) {
        if (m_unchanged.at(i).path == relative)
            m_unchanged.remove(i);
    }
    // A name staged before stays staged: the staged file holds the earlier
    // content, not what the target holds.
    if (m_target && !m_staged.contains(relative)) {
        const int folder = m_target->open(folderOf(relative));
        const int fd = folder < 0 ? -1
                                  : ::openat(folder, nameOf(relative).constData(),
                                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat info;
        if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == off_t(size)) {
            m_compare = fd;
            m_stamp.path = relative;
            m_stamp.device = info.st_dev;
            m_stamp.inode = info.st_ino;
            m_stamp.size = info.st_size;
            m_stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
            return true;
        }
        if (fd >= 0)
            ::close(fd);
    }
    return startStaging(why);
}

bool PackageFolderWriter::startStaging(QString *why)
{
    const QString shown = m_targetRoot + QLatin1Char('/') + m_current;
    const auto seen = m_staged.constFind(m_current);
    const QByteArray name = seen != m_staged.constEnd() ? m_files.at(*seen).staged
                                                        : QByteArray::number(m_files.size());
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    m_file = ::openat(m_staging, name.constData(), flags, 0666);
    // A name that comes again: the later content wins, in the first place.
    if (m_file < 0 && errno == EEXIST && seen != m_staged.constEnd()
        && ::unlinkat(m_staging, name.constData(), 0) == 0)
        m_file = ::openat(m_staging, name.constData(), flags, 0666);
    if (m_file < 0) {
        *why = QStringLiteral("cannot stage %1: %2").arg(shown, systemError());
        return false;
    }
    if (seen == m_staged.constEnd()) {
        m_staged.insert(m_current, m_files.size());
        m_files.append({m_current, name, QByteArray()});
    }
    // The part that agreed with the target file comes from there.
    if (m_compare >= 0) {
        if (m_buffer.size() < kCompareChunk)
            m_buffer.resize(kCompareChunk);
        for (qint64 done = 0; done < m_compared;) {
            const int n = int(qMin<qint64>(kCompareChunk, m_compared - done));
            if (!readAt(m_compare, m_buffer.data(), n, done)) {
                *why = QStringLiteral("cannot read %1: %2").arg(shown, systemError());
                return false;
            }
            if (!writeAll(m_buffer.constData(), n, why))
                return false;
            done += n;
        }
        ::close(m_compare);
        m_compare = -1;
    }
    return true;
}

bool PackageFolderWriter::writeAll(const char *data, int size, QString *why)
{
    int written = 0;
    while (written < size) {
        const ssize_t n = ::write(m_file, data + written, size_t(size - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *why = QStringLiteral("cannot write %1/%2: %3").arg(m_targetRoot, m_current, systemError());
            return false;
        }
        written += int(n);
    }
    return true;
}

bool PackageFolderWriter::fileData(const char *data, int size, QString *why)
{
    if (m_head.size() < kProgramContentHeadSize)
        m_head.append(data, qMin(size, kProgramContentHeadSize - m_head.size()));
    if (m_compare >= 0) {
        if (m_buffer.size() < size)
            m_buffer.resize(qMax(size, kCompareChunk));
        if (readAt(m_compare, m_buffer.data(), size, m_compared)
            && std::memcmp(m_buffer.constData(), data, size_t(size)) == 0) {
            m_compared += size;
            return true;
        }
        if (!startStaging(why))
            return false;
    }
    return writeAll(data, size, why);
}

bool PackageFolderWriter::endFile(QString *why)
{
    if (m_compare >= 0) {
        ::close(m_compare);
        m_compare = -1;
        m_unchanged.append(m_stamp);
        return true;
    }
    m_files[m_staged.value(m_current)].head = m_head;
    const int fd = m_file;
    m_file = -1;
    if (::close(fd) != 0) {
        *why = QStringLiteral("cannot write %1/%2: %3").arg(m_targetRoot, m_current, systemError());
        return false;
    }
    return true;
}
