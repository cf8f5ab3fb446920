#include "lighting_frame.h"

#include "key_name_tables.h"
#include "transport_entry_points.h"

namespace {

constexpr int kHeaderSize = 8;
const unsigned char kHeader[kHeaderSize] = {0x05, 0x02, 0xBB, 0xAA, 0x07, 0x00, 0xF8, 0x01};

quint8 colourByte(const QString& colour, int at)
{
    bool ok = false;
    const uint value = colour.mid(at, 2).toUInt(&ok, 16);
    return ok ? static_cast<quint8>(value) : 0;
}

} // namespace

LightingFrame::LightingFrame()
    : m_frame(transport::kLightingFrameSize, '\0')
{
    for (int i = 0; i < kHeaderSize; ++i)
        m_frame[i] = static_cast<char>(kHeader[i]);
    // Position = matrix index; of the empty names the last one stays.
    const QStringList& matrix = KeyNameTables::lightingMatrix();
    for (int i = 0; i < matrix.size(); ++i)
        m_positions.insert(matrix.at(i), i);
}

void LightingFrame::apply(const QStringList& items)
{
    for (const QString& name : qAsConst(m_litKeys)) {
        const int offset = kHeaderSize + 3 * position(name);
        m_frame[offset] = m_frame[offset + 1] = m_frame[offset + 2] = '\0';
    }
    m_litKeys.clear();

    for (const QString& item : items) {
        const QStringList parts = item.split(QLatin1Char('#'));
        if (parts.size() != 2)
            continue;
        const int at = position(parts.at(0));
        // A name off the matrix must not land on position 0 (ESC).
        if (at < 0)
            continue;
        m_litKeys << parts.at(0);
        const QString& colour = parts.at(1);
        if (colour.size() < 3)
            continue;
        const int offset = kHeaderSize + 3 * at;
        m_frame[offset] = static_cast<char>(colourByte(colour, 0));
        m_frame[offset + 1] = static_cast<char>(colourByte(colour, 2));
        m_frame[offset + 2] = static_cast<char>(colourByte(colour, 4));
    }
}

const QByteArray& LightingFrame::bytes() const
{
    return m_frame;
}

QStringList LightingFrame::litKeys() const
{
    return m_litKeys;
}

int LightingFrame::position(const QString& name) const
{
    return m_positions.value(name, -1);
}
