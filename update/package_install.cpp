#include "package_install.h"

#include "folder_below.h"

#include "descriptor.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using folder_below::folderOf;
using folder_below::nameOf;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// One step taken, and how to take it back.
struct Step {
    enum Kind { NewFolder, NewFile, Exchanged, MovedAside } kind;
    QString path;       // relative to the target
    QByteArray staged;  // the staged file's name; MovedAside: the old file's
};

bool unsupported()
{
    return errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP;
}

class Installer
{
public:
    Installer(int staging, int target, const QString &root) : m_staging(staging), m_target(target), m_root(root) {}

    bool install(const QVector<StagedFile> &files, const QVector<UnchangedFile> &unchanged, QString *error)
    {
        for (const UnchangedFile &file : unchanged) {
            if (!stillUnchanged(file))
                return fail(error, QStringLiteral("%1/%2 changed while the package was unpacked").arg(m_root, file.path));
        }
        for (const StagedFile &file : files) {
            if (!installOne(file, error)) {
                undo();
                return false;
            }
        }
        return true;
    }

private:
    bool fail(QString *error, const QString &text)
    {
        if (error)
            *error = text;
        return false;
    }

    bool stillUnchanged(const UnchangedFile &file)
    {
        const Descriptor folder(folder_below::open(m_target, folderOf(file.path)));
        struct stat info;
        return folder.get() >= 0
               && ::fstatat(folder.get(), nameOf(file.path).constData(), &info, AT_SYMLINK_NOFOLLOW) == 0
               && S_ISREG(info.st_mode) && info.st_dev == file.device && info.st_ino == file.inode
               && info.st_size == file.size
               && qint64(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec == file.modifiedNs;
    }

    int folderFor(const QString &folder, QString *error)
    {
        if (m_folder.get() >= 0 && m_folderPath == folder)
            return m_folder.get();
        QStringList created;
        m_folder.reset(folder_below::open(m_target, folder, &created));
        for (const QString &path : qAsConst(created))
            m_steps.append({Step::NewFolder, path, QByteArray()});
        m_folderPath = folder;
        if (m_folder.get() < 0)
            fail(error, QStringLiteral("cannot make folder %1/%2: a part of it is not a folder (%3)")
                            .arg(m_root, folder, systemError()));
        return m_folder.get();
    }

    bool installOne(const StagedFile &file, QString *error)
    {
        const int folder = folderFor(folderOf(file.path), error);
        if (folder < 0)
            return false;
        const QByteArray name = nameOf(file.path);
        const char *staged = file.staged.constData();
        const QString shown = m_root + QLatin1Char('/') + file.path;
        struct stat old;
        if (::fstatat(folder, name.constData(), &old, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                return fail(error, QStringLiteral("cannot look at %1: %2").arg(shown, systemError()));
            if (::renameat2(m_staging, staged, folder, name.constData(), RENAME_NOREPLACE) != 0) {
                // Without RENAME_NOREPLACE: a link refuses an existing name too.
                if (!unsupported() || ::linkat(m_staging, staged, folder, name.constData(), 0) != 0)
                    return fail(error, QStringLiteral("cannot put %1 in place: %2").arg(shown, systemError()));
                ::unlinkat(m_staging, staged, 0);
            }
            m_steps.append({Step::NewFile, file.path, file.staged});
            return true;
        }
        if (S_ISLNK(old.st_mode))
            return fail(error, QStringLiteral("%1 is a symbolic link").arg(shown));
        if (!S_ISREG(old.st_mode))
            return fail(error, QStringLiteral("%1 is not a regular file").arg(shown));
        // The file keeps the permissions it had.
        ::fchmodat(m_staging, staged, old.st_mode & 07777, 0);
        // In one step: the old file takes the staged file's place.
        if (::renameat2(m_staging, staged, folder, name.constData(), RENAME_EXCHANGE) == 0) {
            m_steps.append({Step::Exchanged, file.path, file.staged});
            return true;
        }
        if (!unsupported())
            return fail(error, QStringLiteral("cannot put %1 in place: %2").arg(shown, systemError()));
        // A file system without exchange: the old file goes aside first.
        const QByteArray aside = "old-" + file.staged;
        if (::renameat(folder, name.constData(), m_staging, aside.constData()) != 0)
            return fail(error, QStringLiteral("cannot move %1 aside: %2").arg(shown, systemError()));
        m_steps.append({Step::MovedAside, file.path, aside});
        if (::renameat(m_staging, staged, folder, name.constData()) != 0)
            return fail(error, QStringLiteral("cannot put %1 in place: %2").arg(shown, systemError()));
        return true;
    }

    // Takes every step back, last first. What cannot be taken back is
    // reported on standard error; there is nothing else left to do.
    void undo()
    {
        m_folder.reset();
        for (int i = m_steps.size() - 1; i >= 0; --i) {
            const Step &step = m_steps.at(i);
            const Descriptor folder(folder_below::open(m_target, folderOf(step.path)));
            const QByteArray name = nameOf(step.path);
            bool undone = folder.get() >= 0;
            if (undone) {
                switch (step.kind) {
                case Step::NewFolder:
                    undone = ::unlinkat(folder.get(), name.constData(), AT_REMOVEDIR) == 0;
                    break;
                case Step::NewFile:
                    undone = ::unlinkat(folder.get(), name.constData(), 0) == 0;
                    break;
                case Step::Exchanged:
                    undone = ::renameat2(m_staging, step.staged.constData(), folder.get(), name.constData(),
                                         RENAME_EXCHANGE)
                             == 0;
                    break;
                case Step::MovedAside:
                    undone = ::renameat(m_staging, step.staged.constData(), folder.get(), name.constData()) == 0;
                    break;
                }
            }
            if (!undone)
                std::fprintf(stderr, "cannot undo the install of %s/%s\n", qPrintable(m_root), qPrintable(step.path));
        }
        m_steps.clear();
    }

    int m_staging;
    int m_target;
    QString m_root;
    QString m_folderPath;
    Descriptor m_folder;
    QVector<Step> m_steps;
};

} // namespace

bool installUnpackedFiles(int staging, int target, const QString &targetRoot, const QVector<StagedFile> &files,
                        const QVector<UnchangedFile> &unchanged, QString *error)
{
    Installer installer(staging, target, targetRoot);
    return installer.install(files, unchanged, error);
}
