#pragma once

#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>

#include "profile_source.h"

// The texts of files the pages read and edit, keyed by file path, and the
// ordered list of paths changed since the last write-out. A file is read
// into the cache once; later reads and edits work on the cached text, and
// writeOut() puts the changed texts back on disk.
//
// The main window owns one cache; the device write worker reads it from its
// own thread to find a device's profile, so every member takes the lock.
class FileCache : public ProfileSource
{
public:
    FileCache() = default;
    FileCache(const FileCache&) = delete;
    FileCache& operator=(const FileCache&) = delete;

    bool contains(const QString& path) const;

    // The cached text of path; "" when the path is not cached.
    QString text(const QString& path) const;

    // Reads path into the cache unless it is cached already (read-only, text
    // mode, UTF-8). An unreadable file is not cached. Answers whether the
    // path is cached afterwards.
    bool load(const QString& path);

    // Replaces the cached text of path and puts the path on the pending list
    // unless it is there already.
    void store(const QString& path, const QString& text);

    // The folder every written file must stay in (the application folder);
    // empty: anywhere. Either way no file is written through a symbolic
    // link.
    void setFolder(const QString& folder);

    QStringList pending() const;
    bool hasPending() const;

    // Writes every pending path, in order, as UTF-8. Each file is written to
    // a temporary file beside it and renamed over it, so a full disk or a
    // locked file never leaves a truncated file behind. A file that cannot
    // be written (its folder gone or outside the folder, its name a link, a
    // full disk) stays pending, for the next write-out to retry, and the
    // files after it are written all the same; the others leave the list.
    // Answers whether every pending file was written (true when nothing was
    // pending).
    bool writeOut();

    // Every cached (path, text) pair, in path order.
    QMap<QString, QString> entries() const override;

private:
    mutable QMutex m_mutex;
    QMap<QString, QString> m_texts;
    QStringList m_pending;
    QString m_folder;
};
