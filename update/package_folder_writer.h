#pragma once

#include "payload_stream_parser.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <sys/types.h>

// A file of the target folder that already holds what the package holds,
// as it was when it was compared.
struct UnchangedFile {
    QString path;  // relative to the target folder
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;
};

// A file staged for the target folder.
struct StagedFile {
    QString path;        // relative to the target folder
    QByteArray staged;   // its name in the staging folder
    QByteArray head;     // the first bytes of its content, to judge what it is
};

// Writes the files of a package, as they are decoded, into a folder that
// belongs to the unpacking alone (a fresh staging folder), each as a new
// file with a name of its own (a number; the staging folder holds no
// folders): each name is checked first (PackageEntryPath, then refuseFile
// with its path in the target folder). A name that comes twice keeps its
// first place and its last content, as writing the files one after the
// other would leave them.
//
// Given the open target folder, a file whose name already holds a regular
// file of the same size there is compared with it as it arrives; while the
// bytes agree nothing is written, and a file that agrees to its end is
// listed as unchanged instead of being staged (re-unpacking a package, or an
// update that changes a few files, then writes only what changed).
class PackageFolderWriter : public PayloadStreamParser::Handler
{
public:
    // staging: the open staging folder (not owned), empty. targetRoot: the
    // absolute path of the folder the files are meant for (for the
    // messages). reservedName: a first segment no file may use (the
    // staging folder's own name, when it sits inside the target folder).
    // target: the open target folder to compare with (not owned), or -1.
    PackageFolderWriter(int staging, const QString &targetRoot, const QString &reservedName = QString(),
                        int target = -1);
    ~PackageFolderWriter() override;
    PackageFolderWriter(const PackageFolderWriter &) = delete;
    PackageFolderWriter &operator=(const PackageFolderWriter &) = delete;

    bool beginFile(const QString &name, quint32 size, QString *why) override;
    bool fileData(const char *data, int size, QString *why) override;
    bool endFile(QString *why) override;

    // The files staged, in package order, each once.
    QVector<StagedFile> files() const;
    // The files found unchanged in the target folder.
    QVector<UnchangedFile> unchanged() const;

private:
    class Folders;

    bool startStaging(QString *why);
    bool writeAll(const char *data, int size, QString *why);

    int m_staging;
    std::unique_ptr<Folders> m_target;
    QString m_targetRoot;
    QString m_reservedName;
    QString m_current;  // relative path of the file being read
    QByteArray m_head;  // the first bytes of the file being read
    int m_file = -1;    // the staged file being written
    int m_compare = -1; // the target file being compared
    qint64 m_compared = 0;
    UnchangedFile m_stamp;
    QByteArray m_buffer;
    QVector<StagedFile> m_files;
    QHash<QString, int> m_staged;  // path -> position in m_files
    QVector<UnchangedFile> m_unchanged;
};
