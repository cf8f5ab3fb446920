#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

// What the client profile records about the machine's network: the hardware
// address of the first non-loopback interface and the first IPv4 address
// other than 127.0.0.1. Behind an interface so tests can describe machines.
struct NetworkInterfaceInfo {
    bool loopback = false;
    QString hardwareAddress;
};

class NetworkIdentitySource {
public:
    virtual ~NetworkIdentitySource() = default;
    // Interfaces and addresses in the system's enumeration order.
    virtual QList<NetworkInterfaceInfo> interfaces() const = 0;
    virtual QList<QHostAddress> addresses() const = 0;
};

// Reads the live system through QNetworkInterface.
class SystemNetworkIdentity : public NetworkIdentitySource {
public:
    QList<NetworkInterfaceInfo> interfaces() const override;
    QList<QHostAddress> addresses() const override;
};

// Empty when every interface is a loopback interface (or there is none).
QString firstMacAddress(const QList<NetworkInterfaceInfo> &interfaces);
// Empty when there is no IPv4 address other than 127.0.0.1.
QString firstIpv4Address(const QList<QHostAddress> &addresses);
