// Program entry. This build has no window yet: it loads the stores the
// window is built from (client profile, conf.ini, Driver definitions, key
// value table), lists the devices the transport library reports (by default
// the emulated ones), prints what it found, and exits.
#include "client_profile.h"
#include "device_data_handler.h"
#include "device_functions.h"
#include "key_value_table.h"
#include "local_settings.h"
#include "logging.h"
#include "network_identity.h"
#include "tray_mode.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Logger::applyCommandLine(app.arguments());
    QTextStream out(stdout);
    const QString appFolder = QCoreApplication::applicationDirPath() + QLatin1Char('/');

    ClientProfile profile;
    if (!profile.loadFromResource(SystemNetworkIdentity())) {
        LOG_ERROR(QStringLiteral("Application Error: client profile has no row for this build"));
        out << "Client profile: no row for this build\n";
    } else {
        const QSize size = clientSizeOf(profile.map());
        LOG_INFO(QStringLiteral("Application Info: client profile %1 loaded, start page %2")
                     .arg(profile.value(QStringLiteral("Name")), profile.value(QStringLiteral("LoadPath"))));
        out << "Client profile: " << profile.value(QStringLiteral("Name")) << " "
            << profile.value(QStringLiteral("Version")) << "\n"
            << "  start page:  " << profile.value(QStringLiteral("LoadPath")) << "\n"
            << "  window:      " << size.width() << " x " << size.height() << "\n"
            << "  upgrade:     " << profile.value(QStringLiteral("upgrade")) << "\n"
            << "  tray mode:   " << trayModeText() << "\n";
    }

    const LocalSettings settings(appFolder);
    const QString language = settings.read(QStringLiteral("Language"));
    out << "conf.ini:      " << settings.filePath() << " (Language: "
        << (language.isEmpty() ? QStringLiteral("not set") : language) << ")\n";

    device_data_handler handler;
    handler.registerDefaultDrivers();
    out << "Driver definitions: " << handler.registeredVersions().join(QStringLiteral(", ")) << "\n";

    KeyValueTable keyValues;
    if (keyValues.load())
        out << "Key value table: " << keyValues.size() << " keys\n";
    else
        out << "Key value table: cannot read " << KeyValueTable::defaultPath() << "\n";

    DeviceFunctions functions;
    if (!functions.isLoaded()) {
        out << "Transport library: not loaded (" << DeviceFunctions::libraryPath() << ")\n";
    } else {
        const DeviceMap devices = functions.listDevices();
        out << "Devices (" << DeviceFunctions::libraryPath() << "): " << devices.size() << "\n";
        for (auto it = devices.cbegin(); it != devices.cend(); ++it)
            out << "  " << it.key() << "  " << it.value().value(QStringLiteral("DevicePath")).toString() << "\n";
    }

    out << "Log:           " << Logger::filePath() << "\n"
        << "The main window and the browser are not part of this build yet;"
           " it loads what exists and exits.\n";
    return 0;
}
