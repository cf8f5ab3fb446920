#include "staged_install.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QVector>

#include <algorithm>
#include <cstdio>

#include "path_inside_folder.h"

namespace {

struct Move {
    QString staged;
    QString target;
    QString backup;  // empty: there was no file to replace
};

bool renameFile(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void undo(const QVector<Move>& done)
{
    for (auto it = done.crbegin(); it != done.crend(); ++it) {
        renameFile(it->target, it->staged);
        if (!it->backup.isEmpty())
            renameFile(it->backup, it->target);
    }
}

} // namespace

bool installStagingFolder(const QString& stagingFolder, const QString& installFolder, const QString& backupFolder,
                        QString* why)
{
    const QDir staging(stagingFolder);
    QStringList names;
    QDirIterator it(stagingFolder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names << staging.relativeFilePath(it.next());
    std::sort(names.begin(), names.end());
    if (names.isEmpty()) {
        *why = QStringLiteral("the package holds no files");
        return false;
    }

    // Every target is checked before anything moves.
    QVector<Move> moves;
    for (const QString& name : qAsConst(names)) {
        const std::optional<QString> target = pathInsideFolder(installFolder, name);
        if (!target || QFileInfo(staging.filePath(name)).isSymLink()) {
            *why = QStringLiteral("'%1' would land outside %2").arg(name, installFolder);
            return false;
        }
        const QFileInfo info(*target);
        if (info.isSymLink() || (info.exists() && !info.isFile())) {
            *why = QStringLiteral("'%1' exists and is not a plain file").arg(*target);
            return false;
        }
        if (!QDir().mkpath(info.absolutePath())) {
            *why = QStringLiteral("cannot create the folder of '%1'").arg(*target);
            return false;
        }
        moves.append({staging.filePath(name), *target,
                      info.exists() ? QDir(backupFolder).filePath(name) : QString()});
    }

    QVector<Move> done;
    for (const Move& move : qAsConst(moves)) {
        if (!move.backup.isEmpty()) {
            QFile::setPermissions(move.staged, QFile::permissions(move.target));
            if (!QDir().mkpath(QFileInfo(move.backup).absolutePath()) || !renameFile(move.target, move.backup)) {
                *why = QStringLiteral("cannot move '%1' aside").arg(move.target);
                undo(done);
                return false;
            }
        }
        if (!renameFile(move.staged, move.target)) {
            *why = QStringLiteral("cannot move the new '%1' into place").arg(move.target);
            if (!move.backup.isEmpty())
                renameFile(move.backup, move.target);
            undo(done);
            return false;
        }
        done.append(move);
    }
    return true;
}
