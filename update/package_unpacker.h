#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Asked about the absolute path a packed file would get in the target
// folder and the first bytes of its new content (empty for a file the
// target holds already, unchanged); true refuses the package.
using RefuseFile = std::function<bool(const QString &path, const QByteArray &head)>;

// What a package must show before anything of it is written (a trusted
// signature, for packages from the network).
class PackageCheck
{
public:
    virtual ~PackageCheck() = default;
    // The open package file of `size` bytes (read it with pread). False
    // refuses the package, with why. tailHash: what the unpacking must find
    // again as the BLAKE2b-512 of the bytes from offset 128 on (empty:
    // nothing), so the file cannot change between the check and the
    // unpacking.
    virtual bool admit(int fd, qint64 size, QByteArray *tailHash, QString *why) = 0;
    // The files the package put in place, as absolute paths.
    virtual void installed(const QStringList &paths) { Q_UNUSED(paths) }
};

// Unpacking update packages into a folder.
//
// The package is read in one pass, in pieces: the digest is computed, the
// LZMA stream decoded and the payload parsed as the bytes arrive, and each
// file is written into a staging folder inside the target folder (a fresh
// hidden name, mode 0700). Only when the whole package has checked out (the
// digest, the LZMA stream up to its announced size, the framing, every
// length and every name) are the files moved into place by rename, a
// replaced file keeping its permissions; the staging folder then goes. On
// any failure the staging folder goes and the target is left as it was: a
// package that fails writes nothing, not even the target folder when it
// was missing. Memory stays bounded by the LZMA dictionary and a few
// buffers, whatever the package size.
//
// Unless `deletePackage` is false, the package file is deleted as soon as it
// is open and its size has been checked, whatever happens next: a downloaded
// package is used once. The start-up page package is unpacked with
// `deletePackage` false because it ships with the program.
//
// Below the target folder nothing is ever followed: every folder is opened
// relative to the one above it and every file relative to its folder, none
// of them through a symbolic link, so a link placed there, even while the
// unpacking runs, makes it fail instead of writing elsewhere. Only regular
// files are replaced.
//
// `check`, when given, is asked about the package before anything is
// written; when it refuses, the package fails and writes nothing.
//
// `refuseFile`, when given, is asked (on the caller's thread, once the
// package has checked out, before anything is moved) about the absolute
// path of every file in the target folder; when it answers true for one,
// the package fails and writes nothing.
bool unpackPackage(const QString &packagePath, const QString &targetFolder,
                   bool deletePackage = true, QString *error = nullptr,
                   const RefuseFile &refuseFile = RefuseFile(), PackageCheck *check = nullptr);

// The same for a package already in memory.
bool unpackPackageData(const QByteArray &package, const QString &targetFolder,
                       QString *error = nullptr, const RefuseFile &refuseFile = RefuseFile());

// The target folder as an absolute, clean path (relative ones are taken from
// the working folder; a leading ':' is not taken for a Qt resource).
QString absoluteTargetFolder(const QString &folder);
