// The transport library for real devices: the entry points of the program's
// transport interface over one HidrawTransport, made on first use from the
// environment (ORVANTA_SYSFS_ROOT, else /sys) and the user's folders (the
// access choices beside the settings, the transport log beside app.log).
#include "app_layout.h"
#include "hidraw_transport.h"
#include "transport_entry_points.h"

#include <QString>

#include <memory>
#include <mutex>

namespace {

std::mutex g_mutex;
std::unique_ptr<HidrawTransport> g_transport;

HidrawTransport& instance()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_transport) {
        HidrawSetup setup;
        const QString root = qEnvironmentVariable("ORVANTA_SYSFS_ROOT");
        if (!root.isEmpty())
            setup.sysfsRoot = root;
        setup.choicesPath = appLayout().userFile(QStringLiteral("hidraw-access.json"));
        setup.logPath = appLayout().stateFile(QStringLiteral("transport.log"));
        g_transport = std::make_unique<HidrawTransport>(setup);
    }
    return *g_transport;
}

// The reader thread ends with the library.
struct StopOnUnload
{
    ~StopOnUnload()
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_transport.reset();
    }
} g_stopOnUnload;

QString pathText(const char16_t* path)
{
    if (!path)
        return QString();
    int length = 0;
    while (length < 255 && path[length])
        ++length;
    return QString::fromUtf16(path, length);
}

} // namespace

USB_INTERFACE_API int dcDevices(unsigned char* block, const std::uint16_t* filter)
{
    return instance().listDevices(block, filter);
}

USB_INTERFACE_API int DeviceData(const transport::ReadTable* table, transport::ReportCallback callback, int count)
{
    if (count <= 0 || !table) {
        instance().stopReading();
        return 1;
    }
    QVector<QString> paths;
    for (int row = 0; row < count && row < transport::kReadTableRows; ++row)
        paths.append(pathText(table->paths[row]));
    return instance().startReading(paths, callback);
}

USB_INTERFACE_API int Reset(const char16_t* path, unsigned char mode, unsigned char)
{
    return instance().refuse(pathText(path), QStringLiteral("Reset mode %1").arg(mode));
}

USB_INTERFACE_API int dcReadProperty(const char16_t* path, unsigned char* buffer, unsigned char id, int size)
{
    return instance().readProperty(pathText(path), buffer, id, size);
}

USB_INTERFACE_API int dcWriteProperty(const char16_t* path, const unsigned char* data, unsigned char id, int size)
{
    return instance().writeProperty(pathText(path), data, id, size);
}

USB_INTERFACE_API int dcReadAddress(const char16_t* path, unsigned char* buffer, unsigned int address, int size)
{
    return instance().readAddress(pathText(path), buffer, address, size);
}

USB_INTERFACE_API int dcWriteAddress(const char16_t* path, const unsigned char* data, unsigned int address, int size)
{
    return instance().writeAddress(pathText(path), data, address, size);
}

USB_INTERFACE_API int dcW1WriteAddress(const char16_t* path, const unsigned char* data, unsigned int address,
                                       int length, unsigned char mode)
{
    return instance().w1WriteAddress(pathText(path), data, address, length, mode);
}

USB_INTERFACE_API int dcNotifyRGBDevice(const char16_t* path, const unsigned char* frame, int size)
{
    return instance().notifyLighting(pathText(path), frame, size);
}

// No real device is ever put into its boot loader.
USB_INTERFACE_API int DeviceExist(const char16_t*, const char16_t*)
{
    return 0;
}

USB_INTERFACE_API int EraseRom(const char16_t* path)
{
    return instance().refuse(pathText(path), QStringLiteral("EraseRom"));
}

USB_INTERFACE_API int WriteRom(const char16_t* path, const unsigned char*, int, int)
{
    return instance().refuse(pathText(path), QStringLiteral("WriteRom"));
}

USB_INTERFACE_API int CheckRom(const char16_t* path, std::uint32_t, std::uint32_t)
{
    return instance().refuse(pathText(path), QStringLiteral("CheckRom"));
}

USB_INTERFACE_API int FinishUpdateRom(const char16_t* path)
{
    return instance().refuse(pathText(path), QStringLiteral("FinishUpdateRom"));
}

USB_INTERFACE_API int Notify(const char16_t* path, const unsigned char*, int)
{
    return instance().refuse(pathText(path), QStringLiteral("Notify"));
}

USB_INTERFACE_API int dcW1WriteHotKey(const char16_t* path, const unsigned char*, unsigned int, int)
{
    return instance().refuse(pathText(path), QStringLiteral("dcW1WriteHotKey"));
}

USB_INTERFACE_API int dcUpdateVersion(const char16_t* path, unsigned char*, int)
{
    return instance().refuse(pathText(path), QStringLiteral("dcUpdateVersion"));
}

USB_INTERFACE_API int Open_vidpid(std::uint16_t, std::uint16_t)
{
    return 0;
}

USB_INTERFACE_API int ColseHandler(void)
{
    instance().stopReading();
    return 1;
}
