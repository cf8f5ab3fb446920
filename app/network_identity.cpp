#include "network_identity.h"

#include <QNetworkInterface>

QList<NetworkInterfaceInfo> SystemNetworkIdentity::interfaces() const
{
    QList<NetworkInterfaceInfo> result;
    const auto all = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : all) {
        NetworkInterfaceInfo info;
        info.loopback = iface.flags().testFlag(QNetworkInterface::IsLoopBack);
        info.hardwareAddress = iface.hardwareAddress();
        result.append(info);
    }
    return result;
}

QList<QHostAddress> SystemNetworkIdentity::addresses() const
{
    return QNetworkInterface::allAddresses();
}

QString firstMacAddress(const QList<NetworkInterfaceInfo> &interfaces)
{
    for (const NetworkInterfaceInfo &iface : interfaces) {
        if (!iface.loopback)
            return iface.hardwareAddress;
    }
    return QString();
}

QString firstIpv4Address(const QList<QHostAddress> &addresses)
{
    const QHostAddress localHost(QHostAddress::LocalHost);
    for (const QHostAddress &address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && address != localHost)
            return address.toString();
    }
    return QString();
}
