#include "sysfs_hid.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr qint64 kMaxUeventBytes = 4096;

// At most limit bytes of path; *tooLong when there were more.
bool readSmallFile(const QString& path, qint64 limit, QByteArray* out, bool* tooLong = nullptr)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *out = file.read(limit + 1);
    if (tooLong)
        *tooLong = out->size() > limit;
    if (out->size() > limit)
        out->truncate(static_cast<int>(limit));
    return true;
}

bool insideRoot(const QString& canonicalRoot, const QString& canonicalPath)
{
    return canonicalPath == canonicalRoot || canonicalPath.startsWith(canonicalRoot + QLatin1Char('/'));
}

// bcdDevice of the USB device two levels above the HID device, read only
// when the links lead to a place inside the root.
QString firmwareOf(const QString& canonicalRoot, const QString& entry)
{
    const QString hidDevice = QFileInfo(entry + QStringLiteral("/device")).canonicalFilePath();
    if (hidDevice.isEmpty() || !insideRoot(canonicalRoot, hidDevice))
        return QString();
    const QString file = QFileInfo(hidDevice + QStringLiteral("/../../bcdDevice")).canonicalFilePath();
    if (file.isEmpty() || !insideRoot(canonicalRoot, file))
        return QString();
    QByteArray text;
    if (!readSmallFile(file, 16, &text))
        return QString();
    const QString version = QString::fromLatin1(text).trimmed();
    static const QRegularExpression hex4(QStringLiteral("^[0-9A-Fa-f]{4}$"));
    return hex4.match(version).hasMatch() ? version.toUpper() : QString();
}

} // namespace

bool parseHidUevent(const QByteArray& text, HidUevent* out)
{
    bool haveId = false;
    for (const QByteArray& raw : text.split('\n')) {
        const int equals = raw.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArray key = raw.left(equals);
        const QString value = QString::fromUtf8(raw.mid(equals + 1)).trimmed().left(256);
        if (key == "HID_ID") {
            // "0003:0000258A:00000029": bus, vendor, product in hex.
            static const QRegularExpression id(QStringLiteral("^([0-9A-Fa-f]{4}):([0-9A-Fa-f]{8}):([0-9A-Fa-f]{8})$"));
            const QRegularExpressionMatch m = id.match(value);
            if (!m.hasMatch())
                return false;
            const quint32 vendor = m.captured(2).toUInt(nullptr, 16);
            const quint32 product = m.captured(3).toUInt(nullptr, 16);
            if (vendor > 0xFFFF || product > 0xFFFF)
                return false;
            out->bus = static_cast<quint16>(m.captured(1).toUInt(nullptr, 16));
            out->vendor = static_cast<quint16>(vendor);
            out->product = static_cast<quint16>(product);
            haveId = true;
        } else if (key == "HID_NAME") {
            out->name = value;
        } else if (key == "HID_PHYS") {
            out->phys = value;
        } else if (key == "HID_UNIQ") {
            out->uniq = value;
        }
    }
    return haveId;
}

int interfaceNumberOf(const QString& phys)
{
    static const QRegularExpression input(QStringLiteral("/input(\\d{1,3})$"));
    const QRegularExpressionMatch m = input.match(phys);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

bool isSupportedVendor(quint16 vendor)
{
    return vendor == 0x258A || vendor == 0x25A7;
}

QVector<int> HidInterface::vendorCollections() const
{
    QVector<int> out;
    for (std::size_t i = 0; i < descriptor.collections.size(); ++i) {
        if (descriptor.collections[i].isVendor())
            out.append(static_cast<int>(i));
    }
    return out;
}

SysfsScan scanHidraw(const QString& sysfsRoot, bool withoutVendor)
{
    SysfsScan scan;
    const QString root = QFileInfo(sysfsRoot).canonicalFilePath();
    if (root.isEmpty())
        return scan;
    const QDir classDir(root + QStringLiteral("/class/hidraw"));
    static const QRegularExpression nodeName(QStringLiteral("^hidraw\\d{1,4}$"));
    for (const QString& node : classDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name)) {
        if (!nodeName.match(node).hasMatch())
            continue;
        const QString entry = classDir.filePath(node);
        const auto skip = [&](const QString& why) { scan.skipped << QStringLiteral("%1: %2").arg(node, why); };
        QByteArray ueventText;
        HidUevent uevent;
        if (!readSmallFile(entry + QStringLiteral("/device/uevent"), kMaxUeventBytes, &ueventText)
            || !parseHidUevent(ueventText, &uevent)) {
            skip(QStringLiteral("no readable HID_ID"));
            continue;
        }
        if (!isSupportedVendor(uevent.vendor))
            continue; // another maker's device: not ours to mention
        QByteArray descriptorBytes;
        bool tooLong = false;
        if (!readSmallFile(entry + QStringLiteral("/device/report_descriptor"), kMaxDescriptorBytes, &descriptorBytes,
                           &tooLong)) {
            skip(QStringLiteral("no readable report descriptor"));
            continue;
        }
        if (tooLong) {
            skip(QStringLiteral("report descriptor over %1 bytes").arg(kMaxDescriptorBytes));
            continue;
        }
        QString why;
        auto descriptor = parseReportDescriptor(reinterpret_cast<const std::uint8_t*>(descriptorBytes.constData()),
                                                static_cast<std::size_t>(descriptorBytes.size()), &why);
        if (!descriptor) {
            skip(QStringLiteral("malformed report descriptor (%1)").arg(why));
            continue;
        }
        HidInterface iface;
        iface.node = node;
        iface.devicePath = QStringLiteral("/dev/") + node;
        iface.uevent = uevent;
        iface.interfaceNumber = interfaceNumberOf(uevent.phys);
        iface.descriptor = std::move(*descriptor);
        iface.descriptorHash = QCryptographicHash::hash(descriptorBytes, QCryptographicHash::Sha256).toHex();
        iface.descriptorBytes = descriptorBytes;
        iface.firmware = firmwareOf(root, entry);
        if (iface.vendorCollections().isEmpty()) {
            skip(QStringLiteral("no vendor collection (a keyboard or pointer interface)"));
            if (withoutVendor && !uevent.phys.isEmpty())
                scan.interfaces.append(std::move(iface));
            continue;
        }
        if (uevent.phys.isEmpty()) {
            skip(QStringLiteral("no HID_PHYS to know it by"));
            continue;
        }
        scan.interfaces.append(std::move(iface));
    }
    std::sort(scan.interfaces.begin(), scan.interfaces.end(),
              [](const HidInterface& a, const HidInterface& b) { return a.uevent.phys < b.uevent.phys; });
    return scan;
}
