#include "block_write.h"

#include <QDebug>
#include <QStringList>

#include "byte_list_text.h"
#include "device_functions.h"

namespace {

// Bytes per write.
constexpr int kChunkItems = 10;
// Mode of a W1 block write.
constexpr quint8 kW1BlockWrite = 7;

} // namespace

bool writeBlockInChunks(DeviceFunctions& device, const QString& key, const QString& startAddress,
                        const QString& data)
{
    const QStringList items = ByteListText::listItems(data);
    const quint32 start = ByteListText::hexValue(startAddress);
    for (int sent = 0; sent < items.size(); sent += kChunkItems) {
        const QStringList chunk = items.mid(sent, kChunkItems);
        const QString address = QString::number(start + static_cast<quint32>(sent), 16);
        qDebug() << "writeBlockInChunks: chunk at" << address;
        if (!device.writeW1Address(key, address, chunk.join(QLatin1Char(',')), QString::number(chunk.size(), 16),
                                   kW1BlockWrite))
            return false;
    }
    return true;
}
