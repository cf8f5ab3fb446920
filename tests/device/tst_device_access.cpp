// The check of what the user can reach: which nodes count (the rule's),
// which open, whether the rule is installed and the command shown.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>

#include "device_access.h"
#include "input_device_enumerator.h"

namespace {

class FakeDevices : public InputDeviceEnumerator
{
public:
    QVector<UdevProperties> inputDevices() const override { return input; }
    QVector<UdevProperties> usbDevices() const override { return {}; }
    QVector<UdevProperties> hidrawDevices() const override { return hidraw; }
    QVector<UdevProperties> input;
    QVector<UdevProperties> hidraw;
};

UdevProperties node(const QString& name, std::initializer_list<std::pair<QString, QString>> more)
{
    UdevProperties p{{"DEVNAME", name}};
    for (const auto& m : more)
        p.insert(m.first, m.second);
    return p;
}

} // namespace

class DeviceAccessTest : public QObject
{
    Q_OBJECT

private slots:
    void onlyTheRulesNodesCountAndEachIsTried()
    {
        FakeDevices devices;
        devices.input = {node("/dev/input/event3", {{"ID_INPUT_MOUSE", "1"}}),
                         node("/dev/input/event4", {{"ID_INPUT_KEYBOARD", "1"}}),
                         node("/dev/input/event5", {{"ID_INPUT_MOUSE", "1"}, {"ID_INPUT_TOUCHPAD", "1"}}),
                         node("/dev/input/mouse0", {{"ID_INPUT_MOUSE", "1"}}),
                         node("/dev/input/event6", {{"ID_INPUT_MOUSE", "1"}})};
        devices.hidraw = {node("/dev/hidraw0", {{"ID_VENDOR_ID", "258a"}, {"ID_MODEL_ID", "0029"}, {"ID_USB_INTERFACE_NUM", "01"}}),
                          node("/dev/hidraw1", {{"ID_VENDOR_ID", "258a"}, {"ID_MODEL_ID", "0029"}, {"ID_USB_INTERFACE_NUM", "00"}}),
                          node("/dev/hidraw2", {{"ID_VENDOR_ID", "258a"}, {"ID_MODEL_ID", "0049"}, {"ID_USB_INTERFACE_NUM", "01"}}),
                          node("/dev/hidraw3", {{"ID_VENDOR_ID", "25a7"}, {"ID_MODEL_ID", "fa07"}, {"ID_USB_INTERFACE_NUM", "01"}}),
                          node("/dev/hidraw4", {{"ID_VENDOR_ID", "046d"}, {"ID_MODEL_ID", "c08b"}, {"ID_USB_INTERFACE_NUM", "01"}})};
        QStringList tried;
        QSet<QString> opens = {"/dev/input/event3", "/dev/hidraw0"};
        QTemporaryDir rules;
        DeviceAccessSetup setup;
        setup.canOpen = [&](const QString& path, int flags) {
            tried << QStringLiteral("%1 %2").arg(path).arg(flags == O_RDWR ? "rw" : flags == O_WRONLY ? "w" : "r");
            return opens.contains(path);
        };
        setup.ruleFolders = QStringList{rules.path()};
        setup.shippedRule = "/opt/orvanta's/70-orvanta.rules";
        const DeviceAccess access = checkDeviceAccess(devices, setup);
        QCOMPARE(tried, (QStringList{"/dev/uinput w", "/dev/input/event3 r", "/dev/input/event6 r", "/dev/hidraw0 rw",
                                     "/dev/hidraw3 rw"}));
        QVERIFY(!access.uinput);
        QCOMPARE(access.mice, 2);
        QCOMPARE(access.miceOpen, 1);
        QCOMPARE(access.interfaces, 2);
        QCOMPARE(access.interfacesOpen, 1);
        QVERIFY(!access.complete());
        QVERIFY(!access.ruleInstalled);
        // The rule beside the program, quoted for the shell.
        QVERIFY2(access.command.startsWith("sudo install -m 644 '/opt/orvanta'\\''s/70-orvanta.rules' /etc/udev/rules.d/ && "),
                 qPrintable(access.command));
        QVERIFY(access.command.endsWith("sudo udevadm trigger"));

        // Installed: the command only makes udev apply it.
        QFile rule(QDir(rules.path()).filePath("70-orvanta.rules"));
        QVERIFY(rule.open(QIODevice::WriteOnly));
        rule.close();
        opens = {"/dev/uinput", "/dev/input/event3", "/dev/input/event6", "/dev/hidraw0", "/dev/hidraw3"};
        const DeviceAccess granted = checkDeviceAccess(devices, setup);
        QVERIFY(granted.ruleInstalled && granted.complete());
        QVERIFY(!granted.command.contains("install -m"));
        QCOMPARE(granted.toJson(), QString(R"({"Command":")" + granted.command
                                           + R"(","Interfaces":2,"InterfacesOpen":2,"Mice":2,"MiceOpen":2,"RuleInstalled":true,"Uinput":true})"));
    }
};

QTEST_GUILESS_MAIN(DeviceAccessTest)
#include "tst_device_access.moc"
