#include "w1_hotkey_record.h"

#include <QStringList>
#include <QThread>

#include "byte_list_text.h"
#include "device_functions.h"

namespace W1HotKeyRecord {

namespace {

constexpr quint8 kPress = 0x80;
constexpr quint8 kRelease = 0x40;
constexpr quint8 kPlainKey = 0x01;
constexpr quint8 kPairedKeys = 0x02;

bool isModifierKey(quint8 code)
{
    return code >= 0xE0 && code <= 0xE7;
}

void putEntry(QByteArray& entries, int entry, quint8 first, quint8 second, quint8 third)
{
    entries[3 * entry] = static_cast<char>(first);
    entries[3 * entry + 1] = static_cast<char>(second);
    entries[3 * entry + 2] = static_cast<char>(third);
}

} // namespace

int kindForCount(int codeCount)
{
    return codeCount < kFirstPairedCount ? 0 : 2;
}

QByteArray build(const QList<quint8>& codes, int kind)
{
    if (codes.isEmpty())
        return QByteArray();
    QByteArray entries;
    if (kind == 0) {
        const int n = qMin(codes.size(), kMaxEntries / 2);
        entries.resize(3 * 2 * n);
        for (int i = 0; i < n; ++i) {
            const quint8 code = codes.at(i);
            const bool modifier = isModifierKey(code);
            const quint8 value = modifier ? static_cast<quint8>(1u << (code & 0x1F)) : code;
            const quint8 flag = modifier ? 0 : kPlainKey;
            putEntry(entries, i, kPress | flag, value, 0x00);
            putEntry(entries, 2 * n - 1 - i, kRelease | flag, value, 0x00);
        }
    } else {
        const int pairs = qMin((codes.size() + 1) / 2, kMaxEntries / 2);
        entries.resize(3 * 2 * pairs);
        for (int i = 0; i < pairs; ++i) {
            const quint8 first = codes.at(2 * i);
            const quint8 second = 2 * i + 1 < codes.size() ? codes.at(2 * i + 1) : 0x00;
            putEntry(entries, i, kPress | kPairedKeys, first, second);
            putEntry(entries, 2 * pairs - 1 - i, kRelease | kPairedKeys, first, second);
        }
    }
    const quint8 q = static_cast<quint8>(entries.size() / 3);
    quint32 sum = q;
    for (const char byte : entries)
        sum += static_cast<quint8>(byte);
    return QByteArray(1, static_cast<char>(q)) + entries + QByteArray(1, static_cast<char>((0x55u - sum) & 0xFFu));
}

QString toItems(const QByteArray& record)
{
    QStringList items;
    for (const char byte : record)
        items << QStringLiteral("%1").arg(static_cast<quint8>(byte), 2, 16, QLatin1Char('0'));
    return items.join(QLatin1Char(','));
}

} // namespace W1HotKeyRecord

W1HotKeyWriter::W1HotKeyWriter(DeviceFunctions& functions)
    : m_functions(functions)
    , m_pause([](int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); })
{
}

void W1HotKeyWriter::setPause(Pause pause)
{
    m_pause = std::move(pause);
}

bool W1HotKeyWriter::write(const QString& deviceKey, const QString& address, const QByteArray& record)
{
    if (record.isEmpty() || address.trimmed().isEmpty())
        return false;
    constexpr quint8 kBlockWrite = 7;
    const QStringList items = W1HotKeyRecord::toItems(record).split(QLatin1Char(','));
    const quint32 start = ByteListText::hexValue(address);
    for (int sent = 0; sent < items.size(); sent += kChunkItems) {
        const QStringList chunk = items.mid(sent, kChunkItems);
        const QString chunkAddress = QString::number(start + static_cast<quint32>(sent), 16);
        if (!m_functions.writeW1Address(deviceKey, chunkAddress, chunk.join(QLatin1Char(',')),
                                        QString::number(chunk.size(), 16), kBlockWrite))
            return false;
        if (m_pause)
            m_pause(kPauseMs);
    }
    return true;
}
