#include "device_access.h"

#include "input_device_enumerator.h"
#include "udev_input_device_enumerator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString shellQuoted(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("'\\''")) + QLatin1Char('\'');
}

// What the user runs: install the rule (when it is not installed), make the
// uinput module load at boot, and have udev apply the rules to the nodes
// present now.
QString commandFor(bool ruleInstalled, const QString& shippedRule)
{
    QStringList steps;
    if (!ruleInstalled && !shippedRule.isEmpty())
        steps << QStringLiteral("sudo install -m 644 %1 /etc/udev/rules.d/").arg(shellQuoted(shippedRule));
    steps << QStringLiteral("echo uinput | sudo tee /etc/modules-load.d/orvanta.conf")
          << QStringLiteral("sudo modprobe uinput")
          << QStringLiteral("sudo udevadm control --reload")
          << QStringLiteral("sudo udevadm trigger");
    return steps.join(QStringLiteral(" && "));
}

} // namespace

bool isGrantedVendorInterface(const QString& vendor, const QString& product, const QString& interface)
{
    if (interface != QLatin1String("01"))
        return false;
    const QString v = vendor.toLower();
    const QString p = product.toLower();
    static const QStringList mice = {QStringLiteral("0012"), QStringLiteral("0027"), QStringLiteral("0029"),
                                     QStringLiteral("0033"), QStringLiteral("0036"), QStringLiteral("0051"),
                                     QStringLiteral("1007")};
    if (v == QLatin1String("258a"))
        return mice.contains(p);
    return v == QLatin1String("25a7") && p.size() == 4 && p.startsWith(QLatin1String("fa"));
}

QString DeviceAccess::toJson() const
{
    const QJsonObject object{{QStringLiteral("Uinput"), uinput},
                             {QStringLiteral("Mice"), mice},
                             {QStringLiteral("MiceOpen"), miceOpen},
                             {QStringLiteral("Interfaces"), interfaces},
                             {QStringLiteral("InterfacesOpen"), interfacesOpen},
                             {QStringLiteral("RuleInstalled"), ruleInstalled},
                             {QStringLiteral("Command"), command}};
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

DeviceAccess checkDeviceAccess(const InputDeviceEnumerator& devices, const DeviceAccessSetup& setup)
{
    DeviceAccess access;
    const auto canOpen = [&setup](const QString& path, int flags) { return setup.canOpen && setup.canOpen(path, flags); };
    access.uinput = canOpen(setup.uinputPath, O_WRONLY);
    for (const UdevProperties& device : devices.inputDevices()) {
        const QString node = device.value(QStringLiteral("DEVNAME"));
        if (!node.contains(QLatin1String("/event")) || device.value(QStringLiteral("ID_INPUT_MOUSE")) != QLatin1String("1")
            || device.value(QStringLiteral("ID_INPUT_KEYBOARD")) == QLatin1String("1")
            || device.value(QStringLiteral("ID_INPUT_TOUCHPAD")) == QLatin1String("1")
            || device.value(QStringLiteral("ID_INPUT_TABLET")) == QLatin1String("1"))
            continue;
        ++access.mice;
        access.miceOpen += canOpen(node, O_RDONLY) ? 1 : 0;
    }
    for (const UdevProperties& device : devices.hidrawDevices()) {
        const QString node = device.value(QStringLiteral("DEVNAME"));
        if (node.isEmpty()
            || !isGrantedVendorInterface(device.value(QStringLiteral("ID_VENDOR_ID")),
                                         device.value(QStringLiteral("ID_MODEL_ID")),
                                         device.value(QStringLiteral("ID_USB_INTERFACE_NUM"))))
            continue;
        ++access.interfaces;
        access.interfacesOpen += canOpen(node, O_RDWR) ? 1 : 0;
    }
    for (const QString& folder : setup.ruleFolders) {
        if (QFileInfo::exists(QDir(folder).filePath(QLatin1String(kUdevRuleName))))
            access.ruleInstalled = true;
    }
    access.command = commandFor(access.ruleInstalled, setup.shippedRule);
    return access;
}

DeviceAccessSetup systemDeviceAccessSetup(const QString& shippedRule)
{
    DeviceAccessSetup setup;
    setup.canOpen = [](const QString& path, int flags) {
        // Opened and closed at once, without waiting and without becoming
        // the node's controlling process: only whether it opens counts.
        const int fd = ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return false;
        ::close(fd);
        return true;
    };
    setup.shippedRule = QFileInfo::exists(shippedRule) ? shippedRule : QString();
    return setup;
}

DeviceAccess systemDeviceAccess(const QString& applicationFolder)
{
    return checkDeviceAccess(UdevInputDeviceEnumerator(),
                             systemDeviceAccessSetup(QDir(applicationFolder).filePath(QLatin1String(kUdevRuleName))));
}
