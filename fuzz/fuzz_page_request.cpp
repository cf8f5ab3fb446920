// Page requests: each line of the input is one request text, run in turn
// through the command decoder and the dispatcher of a windowless host with
// an application folder of its own (fresh for every input) and the
// emulator's devices (a small device set, restored for every input).
// "OpenEXE" is left out: it starts programs.

#include "fuzz_support.h"

#include "command_dispatcher.h"
#include "command_host.h"
#include "command_request.h"
#include "client_settings.h"
#include "device_data_handler.h"
#include "file_cache.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class FuzzSettings : public ClientSettings
{
public:
    QString clientProfilePath() const override { return QStringLiteral(":/file/confxml"); }
    QMap<QString, QString> reloadClientProfile() const override
    {
        return {{QStringLiteral("CloseFunc"), QStringLiteral("1")}, {QStringLiteral("LoadPath"), QStringLiteral("x")}};
    }
    void setTrayMode(const QString&) override {}
};

// Every window, view, tray and dialog call does nothing; dialogs are
// cancelled.
class FuzzHost : public CommandHost
{
public:
    explicit FuzzHost(const QString& folder) : m_folder(folder + QLatin1Char('/'))
    {
        m_handler.setProfileSource(&m_cache);
        m_handler.registerDefaultDrivers();
        m_devices = m_handler.deviceFunctions().listDevices();
    }

    QString applicationFolder() const override { return m_folder; }
    FileCache& fileCache() override { return m_cache; }
    device_data_handler& deviceHandler() override { return m_handler; }
    DeviceFunctions& deviceFunctions() override { return m_handler.deviceFunctions(); }
    DeviceMap& deviceMap() override { return m_devices; }
    void sendPageEvent(const QString&, const QVariantList&, const QString&) override {}
    ClientSettings& clientSettings() override { return m_settings; }
    void openUrl(const QString&) override {}
    bool hasWindow() const override { return true; }

private:
    QString m_folder;
    FuzzSettings m_settings;
    FileCache m_cache;
    device_data_handler m_handler;
    DeviceMap m_devices;
};

QTemporaryDir& workFolder()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::ensureApplication();
    qputenv("ORVANTA_TRANSPORT", ORVANTA_FUZZ_TRANSPORT);
    qputenv("ORVANTA_DEVICES", QFile::encodeName(workFolder().filePath(QStringLiteral("devices.json"))));
    qputenv("ORVANTA_POINTER_SETTINGS", QFile::encodeName(workFolder().filePath(QStringLiteral("pointer.json"))));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApplication();
    static const QByteArray devices = []() {
        QFile file(QStringLiteral(ORVANTA_FUZZ_DEVICES));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    const QString devicesPath = workFolder().filePath(QStringLiteral("devices.json"));
    QFile::remove(devicesPath);
    QFile set(devicesPath);
    if (!set.open(QIODevice::WriteOnly) || set.write(devices) != devices.size())
        return 0;
    set.close();

    const QString folder = workFolder().filePath(QStringLiteral("app"));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    {
        FuzzHost host(folder);
        CommandDispatcher dispatcher(host);
        const QList<QByteArray> lines = QByteArray(reinterpret_cast<const char*>(data), int(size)).split('\n');
        int run = 0;
        for (const QByteArray& line : lines) {
            if (++run > 16)
                break;
            const QString request = QString::fromUtf8(line);
            const DecodedRequest decoded = decodeRequest(request);
            if (decoded.kind == DecodedRequest::Command && decoded.name == QLatin1String("OpenEXE"))
                continue;
            dispatcher.onJsMessage(request, makeQueryCallback([](const QString&) {}, [](int, const QString&) {}));
        }
    }
    QDir(folder).removeRecursively();
    return 0;
}
