#include "firmware_image.h"

#include <QFile>
#include <QtEndian>

#include <lzma.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

template <typename T>
void putLittleEndian(QByteArray& bytes, int offset, T value)
{
    const T stored = qToLittleEndian(value);
    std::memcpy(bytes.data() + offset, &stored, sizeof stored);
}

} // namespace

bool FirmwareImage::load(const QString& path, FirmwareImage* image, QString* error, QByteArray* fileBytes)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        setError(error, QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        setError(error, QStringLiteral("%1 is not a file").arg(path));
        return false;
    }
    QByteArray bytes;
    bool tooLong = info.st_size > kImageSize;
    if (!tooLong) {
        bytes.resize(kImageSize + 1);
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        tooLong = done > kImageSize;
        bytes.truncate(int(done));
    }
    ::close(fd);
    if (tooLong) {
        setError(error, QStringLiteral("%1 is longer than a firmware image (%2 bytes)").arg(path).arg(kImageSize));
        return false;
    }
    if (!parse(bytes, image, error))
        return false;
    if (fileBytes)
        *fileBytes = bytes;
    // An image is used once.
    ::unlink(name.constData());
    return true;
}

bool FirmwareImage::parse(const QByteArray& bytes, FirmwareImage* image, QString* error)
{
    if (!image || bytes.size() > kImageSize) {
        setError(error, QStringLiteral("longer than a firmware image"));
        return false;
    }
    QByteArray padded = bytes;
    padded.append(QByteArray(kImageSize - bytes.size(), '\0'));
    const auto* data = reinterpret_cast<const uchar*>(padded.constData());
    const quint32 signature = qFromLittleEndian<quint32>(data);
    const quint32 second = qFromLittleEndian<quint32>(data + 4);
    if (signature != kSignature || second != 0) {
        setError(error, QStringLiteral("not a firmware image (signature 0x%1, 0x%2)")
                            .arg(signature, 0, 16)
                            .arg(second, 0, 16));
        return false;
    }
    const quint64 romLength = qFromLittleEndian<quint64>(data + kRomLengthOffset);
    if (romLength == 0 || romLength > quint64(kRomCapacity)) {
        setError(error, QStringLiteral("ROM length %1 outside 1..%2").arg(romLength).arg(kRomCapacity));
        return false;
    }
    QString id;
    bool ended = false;
    for (int i = 0; i < kDeviceIdUnits && !ended; ++i) {
        const ushort unit = qFromLittleEndian<quint16>(data + kDeviceIdOffset + 2 * i);
        if (unit == 0)
            ended = true;
        else if (unit < 0x20 || unit > 0x7E)
            break;
        else
            id.append(QChar(unit));
    }
    if (!ended || id.isEmpty()) {
        setError(error, QStringLiteral("the image names no device (its device id is empty, unended or not text)"));
        return false;
    }
    const QByteArray rom = padded.mid(kRomOffset, int(romLength));
    const quint32 checkValue = qFromLittleEndian<quint32>(data + kCheckValueOffset);
    if (crc32(rom) != checkValue) {
        setError(error, QStringLiteral("the ROM does not match the image's check value (CRC-32 0x%1, image 0x%2)")
                            .arg(crc32(rom), 8, 16, QLatin1Char('0'))
                            .arg(checkValue, 8, 16, QLatin1Char('0')));
        return false;
    }
    image->m_bytes = padded;
    image->m_deviceId = id.left(kDeviceIdLength);
    image->m_romLength = quint32(romLength);
    image->m_checkValue = checkValue;
    return true;
}

QByteArray FirmwareImage::build(const QByteArray& rom, const QString& deviceId)
{
    QByteArray image(kImageSize, '\0');
    putLittleEndian<quint32>(image, 0, kSignature);
    const QByteArray romPart = rom.left(kRomCapacity);
    image.replace(kRomOffset, romPart.size(), romPart);
    const QString id = deviceId.left(kDeviceIdUnits - 1);
    for (int i = 0; i < id.size(); ++i)
        putLittleEndian<quint16>(image, kDeviceIdOffset + 2 * i, id.at(i).unicode());
    putLittleEndian<quint64>(image, kRomLengthOffset, quint64(romPart.size()));
    putLittleEndian<quint32>(image, kCheckValueOffset, crc32(romPart));
    return image;
}

quint32 FirmwareImage::crc32(const QByteArray& bytes)
{
    return lzma_crc32(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()), 0);
}

QByteArray FirmwareImage::romBytes(int offset, int length) const
{
    if (offset < 0 || length <= 0 || offset >= kRomCapacity)
        return QByteArray();
    return m_bytes.mid(kRomOffset + offset, qMin(length, kRomCapacity - offset));
}
