#include "byte_text.h"

#include <QStringList>

#include <array>

namespace emulator {

bool parseByteText(const QString &text, QByteArray *out)
{
    QByteArray bytes;
    const QString trimmed = text.trimmed();
    if (!trimmed.isEmpty()) {
        const QStringList items = trimmed.split(QLatin1Char(','));
        bytes.reserve(items.size());
        for (QString item : items) {
            item = item.trimmed();
            if (item.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
                item = item.mid(2);
            if (item.isEmpty() || item.size() > 2)
                return false;
            bool ok = false;
            const uint value = item.toUInt(&ok, 16);
            if (!ok)
                return false;
            bytes.append(static_cast<char>(value));
        }
    }
    *out = bytes;
    return true;
}

QByteArray formatByteText(const unsigned char *data, int size)
{
    static const char digits[] = "0123456789abcdef";
    QByteArray text;
    if (!data || size <= 0)
        return text;
    text.reserve(size * 3);
    for (int i = 0; i < size; ++i) {
        if (i)
            text.append(',');
        text.append(digits[data[i] >> 4]);
        text.append(digits[data[i] & 0x0F]);
    }
    return text;
}

bool parseHexText(const QString &text, QByteArray *out)
{
    if (text.size() % 2 != 0)
        return false;
    QByteArray bytes(text.size() / 2, '\0');
    const QChar *in = text.constData();
    auto digit = [](QChar c) {
        const ushort u = c.unicode();
        if (u >= '0' && u <= '9')
            return int(u - '0');
        if (u >= 'a' && u <= 'f')
            return int(u - 'a' + 10);
        if (u >= 'A' && u <= 'F')
            return int(u - 'A' + 10);
        return -1;
    };
    for (int i = 0; i < bytes.size(); ++i) {
        const int high = digit(in[2 * i]);
        const int low = digit(in[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[i] = static_cast<char>(high << 4 | low);
    }
    *out = bytes;
    return true;
}

QByteArray formatHexText(const char *data, int size)
{
    static const char digits[] = "0123456789abcdef";
    QByteArray text(size > 0 ? size * 2 : 0, Qt::Uninitialized);
    char *out = text.data();
    for (int i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        out[2 * i] = digits[byte >> 4];
        out[2 * i + 1] = digits[byte & 0x0F];
    }
    return text;
}

bool parseNumberText(const QString &text, bool hex, qint64 *out)
{
    QString t = text.trimmed();
    int base = hex ? 16 : 10;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        t = t.mid(2);
        base = 16;
    }
    if (t.isEmpty())
        return false;
    bool ok = false;
    const qint64 value = t.toLongLong(&ok, base);
    if (!ok || value < 0)
        return false;
    *out = value;
    return true;
}

bool readPathText(const char16_t *path, QString *out)
{
    if (!path)
        return false;
    constexpr int kMaxUnits = 255;
    for (int i = 0; i < kMaxUnits; ++i) {
        if (path[i] == 0) {
            *out = QString::fromUtf16(path, i);
            return true;
        }
    }
    return false;
}

namespace {
std::array<std::uint32_t, 256> makeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
} // namespace

std::uint32_t crc32Ieee(const unsigned char *data, std::size_t size)
{
    static const std::array<std::uint32_t, 256> table = makeCrcTable();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

} // namespace emulator
