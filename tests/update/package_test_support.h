#pragma once

// Helpers for the update tests: hand-made payload framing and package
// assembly, so that tests can build packages the writer would refuse to make.
// The packages are signed with the test key (test_signing.h) unless asked
// not to be.

#include "lzma_codec.h"
#include "package_format.h"
#include "test_signing.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>
#include <QtEndian>

namespace TestSupport {

inline QByteArray u32be(quint32 value)
{
    QByteArray out(4, '\0');
    qToBigEndian(value, reinterpret_cast<uchar *>(out.data()));
    return out;
}

inline QByteArray u32le(quint32 value)
{
    QByteArray out(4, '\0');
    qToLittleEndian(value, reinterpret_cast<uchar *>(out.data()));
    return out;
}

// QString framing: byte length, then UTF-16BE.
inline QByteArray qstring(const QString &text)
{
    QByteArray out = u32be(quint32(text.size() * 2));
    for (QChar c : text)
        out += u32be(c.unicode()).right(2);
    return out;
}

// One payload entry; `sizeField` lets a test make the size disagree.
inline QByteArray entry(const QString &name, const QByteArray &content, qint64 sizeField = -1)
{
    return qstring(name) + u32be(quint32(sizeField < 0 ? content.size() : sizeField))
           + u32be(quint32(content.size())) + content;
}

// A package around a raw payload; `announcedSize` overrides the size field.
inline QByteArray packageFromPayload(const QByteArray &payload, qint64 announcedSize = -1,
                                     bool endMarker = false, bool sign = true)
{
    QByteArray properties, stream;
    LzmaCodec::EncodeOptions options;
    options.endMarker = endMarker;
    if (!LzmaCodec::encode(payload, options, &properties, &stream))
        return QByteArray();
    const quint32 size = quint32(announcedSize < 0 ? payload.size() : announcedSize);
    const QByteArray signedPart = properties + u32le(size) + stream;
    const QByteArray package = QByteArray(PackageFormat::kHeaderAreaSize, 'H')
                               + QCryptographicHash::hash(signedPart, QCryptographicHash::Sha1) + signedPart;
    return sign ? TestSigning::signedPackage(package) : package;
}

// A package of one file `name` with incompressible content of `size` bytes,
// padded after its stream (which the decoder ignores) to exactly
// `exactSize` bytes when that is larger, with its digest and signature
// made again.
inline QByteArray sizedPackage(const QString &name, int size, int exactSize = 0, quint32 seed = 1)
{
    QByteArray content(size, '\0');
    quint32 x = seed;
    for (int i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        content[i] = char(x >> 24);
    }
    const QByteArray payload = qstring(QStringLiteral("1.0")) + u32be(1) + entry(name, content);
    QByteArray package = packageFromPayload(payload);
    if (exactSize > package.size()) {
        package.append(QByteArray(exactSize - package.size(), '\0'));
        const QByteArray digest = QCryptographicHash::hash(package.mid(PackageFormat::kPropertiesOffset),
                                                           QCryptographicHash::Sha1);
        package.replace(PackageFormat::kDigestOffset, PackageFormat::kDigestSize, digest);
        package = TestSigning::signedPackage(package);
    }
    return package;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace TestSupport
