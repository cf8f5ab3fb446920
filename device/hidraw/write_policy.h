#pragma once

#include "device_family_guess.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// What may be sent to one real device. Nobody has confirmed these
// controllers' frames on our devices, so being wrong about a frame must
// never damage one:
// - read-only (the default): listing and input reports; no feature report
//   is ever sent (on these controllers even a read is a SET query);
// - dry run: every frame is built and logged, none is sent, and the
//   command answers failure so nothing looks saved;
// - experimental: the user opted in for this exact device (vendor,
//   product, interface, descriptor hash, firmware); Family A's reading
//   queries are sent, writes stay a dry run unless the device is verified;
// - verified: the exact device and firmware are on the program's list of
//   devices a device owner confirmed (empty today); its frames are sent.
// Never, at any level: firmware, the boot loader, the W1 factory reset
// (command 0x09, the program's "mode 9") and its periodic pass.
enum class AccessLevel { ReadOnly, DryRun, Experimental, Verified };

enum class Operation {
    Query,          // a SET query followed by a GET (reads of Families A and B)
    Write,          // a configuration write
    Lighting,       // the lighting frame
    FactoryReset,   // "Reset" mode 2; the W1 "mode 9"
    BootLoader,     // "Reset" mode 1 and every firmware entry point
};

enum class Decision { Refuse, DryRun, Send };

struct DeviceIdentity
{
    quint16 vendor = 0;
    quint16 product = 0;
    int interfaceNumber = -1;
    QByteArray descriptorHash;
    QString firmware;

    bool operator==(const DeviceIdentity& o) const
    {
        return vendor == o.vendor && product == o.product && interfaceNumber == o.interfaceNumber
               && descriptorHash == o.descriptorHash && firmware == o.firmware;
    }
};

Decision decide(AccessLevel level, RealFamily family, Operation operation);

// "read-only", "dry-run", "experimental", "verified".
QString accessName(AccessLevel level);
bool parseAccessName(const QString& text, AccessLevel* level);

// The exact devices and firmware versions device owners have confirmed.
// Empty: no device is confirmed yet (README says how to confirm one).
const QVector<DeviceIdentity>& verifiedDevices();
