#include "devices_handler.h"

#include "app_layout.h"

#include <QDebug>
#include <QFileInfo>

#include <cstring>

namespace {

// Device paths and instance ids are at most 255 UTF-16 units in the device
// block; a longer text cannot name a device.
constexpr int kMaxPathUnits = 255;

template <typename Fn>
void bindOne(QLibrary& library, const char* name, Fn& slot, QStringList& missing)
{
    slot = library.isLoaded() ? reinterpret_cast<Fn>(library.resolve(name)) : nullptr;
    if (!slot)
        missing << QLatin1String(name);
}

bool usablePath(const QString& path)
{
    return !path.isEmpty() && path.size() <= kMaxPathUnits;
}

bool sizeFits(int size, int limit)
{
    return size >= 0 && size <= limit;
}

bool idFits(int id)
{
    return id >= 0 && id <= 0xFF;
}

} // namespace

devices_handler::devices_handler(QObject* parent)
    : QObject(parent)
{
    m_library.setFileName(libraryPath());
    if (!m_library.load())
        qDebug() << "devices_handler: transport library not loaded:" << m_library.errorString();
    bindEntryPoints();
}

// The library stays loaded: QLibrary counts references, and other bindings
// or a reader thread of the library may still be using it.
devices_handler::~devices_handler() = default;

QString devices_handler::libraryPath()
{
    const QString emulator = appLayout().transportFolder + QStringLiteral("/libUsbInterface.so");
    const QString named = qEnvironmentVariable("ORVANTA_TRANSPORT");
    if (named == QLatin1String("demo"))
        return emulator;
    if (!named.isEmpty())
        return named;
    if (appLayout().installed)
        return appLayout().transportFolder + QStringLiteral("/libOrvantaHidraw.so");
    return emulator;
}

bool devices_handler::usesEmulator()
{
    return QFileInfo(libraryPath()).fileName() == QLatin1String("libUsbInterface.so");
}

std::u16string devices_handler::toLibraryText(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

QStringList devices_handler::entryPointNames()
{
    return {
        QStringLiteral("dcDevices"),        QStringLiteral("DeviceData"),     QStringLiteral("Reset"),
        QStringLiteral("dcReadProperty"),   QStringLiteral("dcWriteProperty"), QStringLiteral("dcReadAddress"),
        QStringLiteral("dcWriteAddress"),   QStringLiteral("dcW1WriteAddress"),
        QStringLiteral("dcNotifyRGBDevice"), QStringLiteral("DeviceExist"),   QStringLiteral("EraseRom"),
        QStringLiteral("WriteRom"),         QStringLiteral("CheckRom"),       QStringLiteral("FinishUpdateRom"),
        QStringLiteral("Notify"),           QStringLiteral("dcW1WriteHotKey"), QStringLiteral("dcUpdateVersion"),
        QStringLiteral("Open_vidpid"),      QStringLiteral("ColseHandler"),
    };
}

// The member name is the export name, so a pointer can never be bound to
// another entry point's export.
#define ORVANTA_BIND(name) bindOne(m_library, #name, m_entry.name, m_missing)

void devices_handler::bindEntryPoints()
{
    m_missing.clear();
    ORVANTA_BIND(dcDevices);
    ORVANTA_BIND(DeviceData);
    ORVANTA_BIND(Reset);
    ORVANTA_BIND(dcReadProperty);
    ORVANTA_BIND(dcWriteProperty);
    ORVANTA_BIND(dcReadAddress);
    ORVANTA_BIND(dcWriteAddress);
    ORVANTA_BIND(dcW1WriteAddress);
    ORVANTA_BIND(dcNotifyRGBDevice);
    ORVANTA_BIND(DeviceExist);
    ORVANTA_BIND(EraseRom);
    ORVANTA_BIND(WriteRom);
    ORVANTA_BIND(CheckRom);
    ORVANTA_BIND(FinishUpdateRom);
    ORVANTA_BIND(Notify);
    ORVANTA_BIND(dcW1WriteHotKey);
    ORVANTA_BIND(dcUpdateVersion);
    ORVANTA_BIND(Open_vidpid);
    ORVANTA_BIND(ColseHandler);
}

#undef ORVANTA_BIND

bool devices_handler::isLoaded() const
{
    return m_library.isLoaded();
}

QStringList devices_handler::missingEntryPoints() const
{
    return m_missing;
}

bool devices_handler::dcDevices(QByteArray* block) const
{
    if (!block)
        return false;
    *block = QByteArray(transport::kDeviceBlockSize, '\0');
    if (!m_entry.dcDevices)
        return false;
    // Usage 1 of the two vendor usage pages; the other pairs stay zero.
    quint16 filter[2 * transport::kFilterPairs] = {1, 0xFFA0, 1, 0xFFAA};
    return m_entry.dcDevices(reinterpret_cast<unsigned char*>(block->data()), filter) != 0;
}

bool devices_handler::DeviceData(const QStringList& paths, const QVector<quint32>& ids,
                                 transport::ReportCallback callback) const
{
    const int rows = paths.size();
    if (!m_entry.DeviceData || rows > transport::kReadTableRows || ids.size() != rows)
        return false;
    // The texts must outlive the call: the table only points into them.
    std::u16string texts[transport::kReadTableRows];
    transport::ReadTable table;
    std::memset(&table, 0, sizeof table);
    for (int row = 0; row < rows; ++row) {
        if (!usablePath(paths.at(row)))
            return false;
        texts[row] = toLibraryText(paths.at(row));
        table.paths[row] = texts[row].c_str();
        table.ids[row] = ids.at(row);
    }
    return m_entry.DeviceData(&table, callback, rows) != 0;
}

bool devices_handler::Reset(const QString& path, quint8 mode) const
{
    if (!m_entry.Reset || !usablePath(path))
        return false;
    return m_entry.Reset(toLibraryText(path).c_str(), mode, 0) != 0;
}

bool devices_handler::dcReadProperty(const QString& path, TransferBuffer& buffer, int id, int size) const
{
    if (!m_entry.dcReadProperty || !usablePath(path) || !idFits(id) || !sizeFits(size, transport::kTransferSize))
        return false;
    return m_entry.dcReadProperty(toLibraryText(path).c_str(), buffer.data(), static_cast<unsigned char>(id),
                                  size) != 0;
}

bool devices_handler::dcWriteProperty(const QString& path, const TransferBuffer& data, int id, int size) const
{
    if (!m_entry.dcWriteProperty || !usablePath(path) || !idFits(id)
        || !sizeFits(size, transport::kTransferSize))
        return false;
    return m_entry.dcWriteProperty(toLibraryText(path).c_str(), data.data(), static_cast<unsigned char>(id),
                                   size) != 0;
}

bool devices_handler::dcReadAddress(const QString& path, TransferBuffer& buffer, quint32 address, int size) const
{
    // The reply carries the response header in front of the data.
    const int limit = transport::kTransferSize - transport::kResponseHeaderSize;
    if (!m_entry.dcReadAddress || !usablePath(path) || !sizeFits(size, limit))
        return false;
    return m_entry.dcReadAddress(toLibraryText(path).c_str(), buffer.data(), address, size) != 0;
}

bool devices_handler::dcWriteAddress(const QString& path, const TransferBuffer& data, quint32 address,
                                     int size) const
{
    if (!m_entry.dcWriteAddress || !usablePath(path) || !sizeFits(size, transport::kTransferSize))
        return false;
    return m_entry.dcWriteAddress(toLibraryText(path).c_str(), data.data(), address, size) != 0;
}

bool devices_handler::dcW1WriteAddress(const QString& path, const TransferBuffer& data, quint32 address,
                                       int length, quint8 mode) const
{
    if (!m_entry.dcW1WriteAddress || !usablePath(path) || !sizeFits(length, transport::kTransferSize))
        return false;
    return m_entry.dcW1WriteAddress(toLibraryText(path).c_str(), data.data(), address, length, mode) != 0;
}

bool devices_handler::dcNotifyRGBDevice(const QString& path, const unsigned char* frame) const
{
    if (!m_entry.dcNotifyRGBDevice || !usablePath(path) || !frame)
        return false;
    return m_entry.dcNotifyRGBDevice(toLibraryText(path).c_str(), frame, transport::kLightingFrameSize) != 0;
}

bool devices_handler::DeviceExist(const QString& target, const QString& path) const
{
    if (!m_entry.DeviceExist || target.isEmpty() || !usablePath(path))
        return false;
    return m_entry.DeviceExist(toLibraryText(target).c_str(), toLibraryText(path).c_str()) != 0;
}

bool devices_handler::EraseRom(const QString& path) const
{
    if (!m_entry.EraseRom || !usablePath(path))
        return false;
    return m_entry.EraseRom(toLibraryText(path).c_str()) != 0;
}

bool devices_handler::WriteRom(const QString& path, const QByteArray& block, int offset) const
{
    // An empty block is legal: a ROM whose length is a multiple of the block
    // size ends with one.
    if (!m_entry.WriteRom || !usablePath(path) || block.size() > transport::kRomBlockSize || offset < 0)
        return false;
    // The library gets a full transfer buffer, whatever the block's size.
    TransferBuffer buffer{};
    if (!block.isEmpty())
        std::memcpy(buffer.data(), block.constData(), static_cast<size_t>(block.size()));
    return m_entry.WriteRom(toLibraryText(path).c_str(), buffer.data(), block.size(), offset) == 1;
}

bool devices_handler::CheckRom(const QString& path, quint32 first, quint32 second) const
{
    if (!m_entry.CheckRom || !usablePath(path))
        return false;
    return m_entry.CheckRom(toLibraryText(path).c_str(), first, second) != 0;
}

bool devices_handler::FinishUpdateRom(const QString& path) const
{
    if (!m_entry.FinishUpdateRom || !usablePath(path))
        return false;
    return m_entry.FinishUpdateRom(toLibraryText(path).c_str()) != 0;
}
