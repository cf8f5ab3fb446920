// Page requests: each line of the input is one request text, run in turn
// through the command decoder and the dispatcher of a windowless host with
// an application folder of its own (fresh for every input) and the
// emulator's devices (a small device set, restored for every input).
// "OpenEXE" is left out: it starts programs.

#include "fuzz_support.h"

#include "command_dispatcher.h"
#include "command_request.h"
#include "page_services.h"
#include "window_port.h"
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
class NullWindow : public WindowPort
{
public:
    void maximizeWindow() override {}
    void restoreWindow() override {}
    void loginMain(const QString&, int, int) override {}
    void loadUrl(const QString&) override {}
    void goBack() override {}
    void goForward() override {}
    void openView(const QString&, int, int) override {}
    void closeView() override {}
    void showTrayMessage(const QString&, const QString&) override {}
    void hideToTray() override {}
    void closeApplication() override {}
    bool hasTray() const override { return false; }
    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> openFileName(const QString&, const QString&, const QString&) override { return {}; }
};

// The services of a windowless session without music, updates, automation
// or pointer settings; events go nowhere.
class FuzzServices
{
public:
    explicit FuzzServices(const QString& folder)
    {
        m_handler.setProfileSource(&m_cache);
        m_handler.registerDefaultDrivers();
        m_devices = m_handler.deviceFunctions().listDevices();
        services.applicationFolder = folder + QLatin1Char('/');
        services.fileCache = &m_cache;
        services.deviceHandler = &m_handler;
        services.deviceFunctions = &m_handler.deviceFunctions();
        services.deviceMap = &m_devices;
        services.clientSettings = &m_settings;
        services.window = &m_window;
        services.openUrl = [](const QString&) {};
    }

    PageServices services;

private:
    FuzzSettings m_settings;
    NullWindow m_window;
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
        FuzzServices host(folder);
        CommandDispatcher dispatcher(host.services);
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
