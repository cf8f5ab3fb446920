#pragma once

// A sysfs tree in a temporary folder, laid out as the kernel lays out the
// hidraw nodes of USB devices:
//   devices/usb1/<port>/bcdDevice
//   devices/usb1/<port>/<port>:1.<interface>/<hid device>/{uevent,report_descriptor}
//   class/hidraw/hidrawN/device -> the HID device
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

class FakeSysfs
{
public:
    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }

    // One HID interface of a USB device at port (e.g. "1-1"); vendor and
    // product as in HID_ID. An empty firmware writes no bcdDevice.
    void addInterface(int node, const QString& port, int interface, quint16 vendor, quint16 product,
                      const QByteArray& descriptor, const QString& firmware = QString(),
                      const QString& name = QStringLiteral("Test Mouse"))
    {
        const auto hex = [](quint16 value, int width) {
            return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
        };
        const QString usbDevice = root() + QStringLiteral("/devices/usb1/") + port;
        const QString hidDevice = usbDevice + QStringLiteral("/%1:1.%2/0003:%3:%4.%5")
                                                  .arg(port)
                                                  .arg(interface)
                                                  .arg(hex(vendor, 4), hex(product, 4))
                                                  .arg(node, 4, 10, QLatin1Char('0'));
        QDir().mkpath(hidDevice);
        if (!firmware.isEmpty())
            write(usbDevice + QStringLiteral("/bcdDevice"), firmware.toLatin1() + '\n');
        write(hidDevice + QStringLiteral("/uevent"),
              QStringLiteral("DRIVER=hid-generic\nHID_ID=0003:%1:%2\nHID_NAME=%3\n"
                             "HID_PHYS=usb-0000:00:14.0-%4/input%5\nHID_UNIQ=\n")
                  .arg(hex(vendor, 8), hex(product, 8), name, port.mid(2))
                  .arg(interface)
                  .toUtf8());
        write(hidDevice + QStringLiteral("/report_descriptor"), descriptor);
        const QString entry = root() + QStringLiteral("/class/hidraw/hidraw%1").arg(node);
        QDir().mkpath(entry);
        QFile::link(hidDevice, entry + QStringLiteral("/device"));
    }

    // A node whose uevent is whatever the test says.
    void addRawNode(int node, const QByteArray& uevent, const QByteArray& descriptor)
    {
        const QString hidDevice = root() + QStringLiteral("/devices/virtual/raw%1").arg(node);
        QDir().mkpath(hidDevice);
        write(hidDevice + QStringLiteral("/uevent"), uevent);
        write(hidDevice + QStringLiteral("/report_descriptor"), descriptor);
        const QString entry = root() + QStringLiteral("/class/hidraw/hidraw%1").arg(node);
        QDir().mkpath(entry);
        QFile::link(hidDevice, entry + QStringLiteral("/device"));
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

private:
    QTemporaryDir m_dir;
};
