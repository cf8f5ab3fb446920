#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// The unpacked payload of an update package: a Qt 5.1 data stream holding
//   version  QString
//   count    quint32
//   count x  { name QString, size quint32, content QByteArray }
// Strings are a 32-bit byte length (0xFFFFFFFF for a null string) followed by
// UTF-16 big-endian code units; byte arrays are a 32-bit length
// (0xFFFFFFFF for null) followed by the bytes.

// One file to put into a package.
struct PackageFile {
    QString name;  // relative path, "/" as separator
    QByteArray content;
};

// One file found in a payload. The content stays inside the payload buffer.
struct PackageEntry {
    QString name;     // exactly as stored
    int offset = 0;   // position of the content in PackagePayload::bytes
    quint32 size = 0;
};

struct PackagePayload {
    QByteArray bytes;  // the whole unpacked payload
    QString version;
    QVector<PackageEntry> entries;

    const char *contentData(const PackageEntry &entry) const { return bytes.constData() + entry.offset; }
    QByteArray content(const PackageEntry &entry) const { return bytes.mid(entry.offset, int(entry.size)); }
};

// Parses `bytes` into `payload` (which keeps a shallow copy of `bytes`).
// Every length and count is checked against the bytes actually present
// before it is used, so a damaged payload fails instead of making the reader
// allocate what the damage claims. A file count of 0, a size field that
// differs from the content length, and an odd string length all fail.
// Bytes after the last file are ignored.
bool parsePayload(const QByteArray &bytes, PackagePayload *payload, QString *error = nullptr);

// Serialises a payload with QDataStream. Fails on an empty file list or when
// the result would exceed the largest payload an unpacker accepts.
bool buildPayload(const QString &version, const QVector<PackageFile> &files, QByteArray *out,
                  QString *error = nullptr);
