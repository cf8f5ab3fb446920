#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class InputDeviceEnumerator;

// Whether this user can reach what the program needs of real devices, the
// nodes the project's udev rule grants: /dev/uinput (the virtual keyboard
// and mouse of the remapping), the event nodes of mice (for the remapping's
// grab) and the vendor interfaces of the supported mice (their hidraw
// nodes). The pages ask before the user configures anything, and show the
// command that installs the rule.
struct DeviceAccess {
    bool uinput = false;        // /dev/uinput opens for writing
    int mice = 0;               // mouse event nodes present
    int miceOpen = 0;           // ... that open for reading
    int interfaces = 0;         // vendor hidraw nodes present
    int interfacesOpen = 0;     // ... that open for reading and writing
    bool ruleInstalled = false; // the rule file is in one of udev's folders
    QString command;            // what installs the rule (or makes it apply)

    // Everything present can be opened.
    bool complete() const { return uinput && miceOpen == mice && interfacesOpen == interfaces; }
    // {"Uinput":…,"Mice":…,"MiceOpen":…,"Interfaces":…,"InterfacesOpen":…,
    //  "RuleInstalled":…,"Command":…}
    QString toJson() const;
};

// The name of the rule file the project ships.
constexpr const char* kUdevRuleName = "70-orvanta.rules";

// True for a hidraw node the rule grants: interface 1 of the supported
// 258a mice and of the W1 mice (25a7:faXX). ids as udev gives them.
bool isGrantedVendorInterface(const QString& vendor, const QString& product, const QString& interface);

struct DeviceAccessSetup {
    // Opens path with flags (O_RDONLY, O_RDWR, O_WRONLY); true when it could.
    std::function<bool(const QString& path, int flags)> canOpen;
    QString uinputPath = QStringLiteral("/dev/uinput");
    // Where udev reads rules from.
    QStringList ruleFolders = {QStringLiteral("/etc/udev/rules.d"), QStringLiteral("/usr/lib/udev/rules.d"),
                               QStringLiteral("/lib/udev/rules.d"), QStringLiteral("/run/udev/rules.d")};
    // The rule file to install when none is installed ("" when the program
    // has none beside it).
    QString shippedRule;
};

DeviceAccess checkDeviceAccess(const InputDeviceEnumerator& devices, const DeviceAccessSetup& setup);

// The setup of this machine: open(2) for canOpen, the rule beside the
// program (applicationFolder/70-orvanta.rules) or installed with it.
DeviceAccessSetup systemDeviceAccessSetup(const QString& shippedRule);

// The check on this machine, with udev's devices and the rule beside the
// program in applicationFolder.
DeviceAccess systemDeviceAccess(const QString& applicationFolder);
