#include "device_set.h"

#include "byte_text.h"
#include "device_record_writer.h"

#include <QJsonDocument>
#include <QJsonValue>

#include <cstring>

namespace emulator {

namespace {

const char kHidClassGuid[] = "{4d1e55b2-f16f-11cf-88cb-001111000030}";

// Reads a JSON number, or a text that parseNumberText accepts. A missing
// member gives fallback; anything else that does not read is an error.
bool readNumber(const QJsonObject &object, const char *member, bool hexText, qint64 fallback, qint64 *out)
{
    const QJsonValue value = object.value(QLatin1String(member));
    if (value.isUndefined() || value.isNull()) {
        *out = fallback;
        return true;
    }
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (d < 0 || d > 4294967295.0 || d != static_cast<double>(static_cast<qint64>(d)))
            return false;
        *out = static_cast<qint64>(d);
        return true;
    }
    if (value.isString())
        return parseNumberText(value.toString(), hexText, out);
    return false;
}

// Fixed-width ASCII fields of the device block cannot take other characters.
bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    }
    return true;
}

// The instance part of a derived path: different for every device entry, so
// two devices with the same vendor and product still have distinct paths.
QString instanceGroup(int rawIndex)
{
    return QStringLiteral("7&") + QString::number(0x1A2B3C0 + rawIndex * 0x10F, 16);
}

// HID paths as the platform spells them: lower case, the collection last
// before the instance part ("...&pid_1007&col05#7&1a2b3c0&0&0001#{guid}").
QString derivedPath(std::uint16_t vid, std::uint16_t pid, const QString &collection, const QString &group,
                    int position)
{
    QString path = QStringLiteral("\\\\?\\hid#vid_%1&pid_%2")
                       .arg(vid, 4, 16, QLatin1Char('0'))
                       .arg(pid, 4, 16, QLatin1Char('0'));
    if (!collection.isEmpty())
        path += QStringLiteral("&col") + collection.toLower();
    path += QStringLiteral("#%1&0&%2#").arg(group).arg(position, 4, 10, QLatin1Char('0'));
    return path + QLatin1String(kHidClassGuid);
}

bool parseProperties(const QJsonValue &value, QMap<int, QByteArray> *out, QString *error)
{
    out->clear();
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isObject()) {
        *error = QStringLiteral("\"properties\" is not an object");
        return false;
    }
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool ok = false;
        const int id = it.key().toInt(&ok, 10);
        QByteArray bytes;
        if (!ok || id < 0 || id > 255) {
            *error = QStringLiteral("property id \"%1\" is not 0 to 255").arg(it.key());
            return false;
        }
        if (!it.value().isString() || !parseByteText(it.value().toString(), &bytes) || bytes.isEmpty()
            || bytes.size() > kMaxReportSize) {
            *error = QStringLiteral("property %1 is not a byte list of 1 to 2048 bytes").arg(id);
            return false;
        }
        out->insert(id, bytes);
    }
    return true;
}

bool parseMemory(const QJsonValue &value, int size, QByteArray *out, QString *error)
{
    *out = QByteArray(size, '\0');
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isArray()) {
        *error = QStringLiteral("\"memory\" is not an array");
        return false;
    }
    for (const QJsonValue &entry : value.toArray()) {
        const QJsonObject segment = entry.toObject();
        qint64 address = 0;
        QByteArray bytes;
        // "hex": plain hexadecimal, as saves write it; "data": a byte list,
        // as older saves and people write it.
        const QJsonValue hex = segment.value(QLatin1String("hex"));
        const bool parsed = hex.isUndefined() ? parseByteText(segment.value(QLatin1String("data")).toString(), &bytes)
                                              : hex.isString() && parseHexText(hex.toString(), &bytes);
        if (!readNumber(segment, "address", true, -1, &address) || address < 0 || !parsed
            || address + bytes.size() > size) {
            *error = QStringLiteral("a \"memory\" segment has no address, bad data or lies outside the memory");
            return false;
        }
        out->replace(static_cast<int>(address), bytes.size(), bytes);
    }
    return true;
}

bool parseReports(const QJsonObject &object, Device *device, QString *error)
{
    const QJsonValue value = object.value(QLatin1String("inputReports"));
    device->loopReports = object.value(QLatin1String("loopInputReports")).toBool(false);
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isArray()) {
        *error = QStringLiteral("\"inputReports\" is not an array");
        return false;
    }
    for (const QJsonValue &entry : value.toArray()) {
        const QJsonObject step = entry.toObject();
        ReportStep report;
        qint64 delay = 0;
        if (!readNumber(step, "delayMs", false, 0, &delay) || delay > 3600000
            || !parseByteText(step.value(QLatin1String("data")).toString(), &report.bytes)
            || report.bytes.isEmpty() || report.bytes.size() > kMaxReportSize) {
            *error = QStringLiteral("an input report has a bad delay or no data");
            return false;
        }
        report.delayMs = static_cast<int>(delay);
        device->reports.append(report);
    }
    return true;
}

bool parseFaults(const QJsonValue &value, Faults *faults, QString *error)
{
    if (value.isUndefined() || value.isNull())
        return true;
    const QJsonObject object = value.toObject();
    qint64 failWrite = 0, unplug = 0, stepCall = 0;
    if (!value.isObject() || !readNumber(object, "failWrite", false, 0, &failWrite)
        || !readNumber(object, "unplugAfterWrites", false, 0, &unplug)
        || !readNumber(object, "failBootStepCall", false, 0, &stepCall)) {
        *error = QStringLiteral("\"faults\" holds a member that is not a count");
        return false;
    }
    static const QStringList steps = {QStringLiteral("Reset"),    QStringLiteral("DeviceExist"),
                                      QStringLiteral("EraseRom"), QStringLiteral("WriteRom"),
                                      QStringLiteral("CheckRom"), QStringLiteral("FinishUpdateRom")};
    const QString step = object.value(QLatin1String("failBootStep")).toString();
    if (!step.isEmpty() && !steps.contains(step)) {
        *error = QStringLiteral("\"failBootStep\" names no boot-loader step: %1").arg(step);
        return false;
    }
    faults->failWrite = static_cast<int>(qMin<qint64>(failWrite, INT_MAX));
    faults->unplugAfterWrites = static_cast<int>(qMin<qint64>(unplug, INT_MAX));
    faults->failBootStepCall = static_cast<int>(qMin<qint64>(stepCall, INT_MAX));
    faults->failBootStep = step;
    return true;
}

bool parseDevice(const QJsonObject &object, int rawIndex, Device *device, QString *error)
{
    device->rawIndex = rawIndex;
    device->name = object.value(QLatin1String("name")).toString();
    device->reportedId = object.value(QLatin1String("reportedId")).toString();
    device->serial = object.value(QLatin1String("serial")).toString();
    device->mask = object.value(QLatin1String("mask")).toString();
    device->firmwareVersion = object.value(QLatin1String("firmwareVersion")).toString();
    if (device->reportedId.size() > 14 || device->serial.size() > 14 || device->mask.size() > 2
        || device->firmwareVersion.size() > 2 || !isAscii(device->reportedId) || !isAscii(device->serial)
        || !isAscii(device->mask) || !isAscii(device->firmwareVersion)) {
        *error = QStringLiteral("reportedId/serial (14), mask/firmwareVersion (2) must be short ASCII texts");
        return false;
    }

    qint64 vid = 0, pid = 0, memorySize = 0, versionOffset = 0, romLength = 0, romCrc = 0;
    if (!readNumber(object, "vendorId", true, -1, &vid) || !readNumber(object, "productId", true, -1, &pid)
        || vid < 0 || vid > 0xFFFF || pid < 0 || pid > 0xFFFF) {
        *error = QStringLiteral("\"vendorId\" and \"productId\" must be 16-bit values");
        return false;
    }
    device->vendorId = static_cast<std::uint16_t>(vid);
    device->productId = static_cast<std::uint16_t>(pid);
    if (!readNumber(object, "memorySize", true, kDefaultMemorySize, &memorySize) || memorySize > kMaxMemorySize) {
        *error = QStringLiteral("\"memorySize\" must be at most 1 MiB");
        return false;
    }
    if (!readNumber(object, "romVersionOffset", false, 0, &versionOffset) || versionOffset >= kRomCapacity
        || !readNumber(object, "romLength", false, 0, &romLength) || romLength > kRomCapacity
        || !readNumber(object, "romCrc32", true, 0, &romCrc) || romCrc > 0xFFFFFFFFll) {
        *error = QStringLiteral("\"romVersionOffset\", \"romLength\" or \"romCrc32\" is out of range");
        return false;
    }
    device->romVersionOffset = static_cast<int>(versionOffset);
    device->hasRom = object.contains(QLatin1String("romLength"));
    device->romLength = static_cast<std::uint32_t>(romLength);
    device->romCrc = static_cast<std::uint32_t>(romCrc);

    const QString group = instanceGroup(rawIndex);
    const QJsonArray interfaces = object.value(QLatin1String("interfaces")).toArray();
    for (int i = 0; i < interfaces.size(); ++i) {
        const QJsonObject entry = interfaces.at(i).toObject();
        Interface iface;
        qint64 usagePage = 0, usage = 0;
        iface.collection = entry.value(QLatin1String("collection")).toString();
        iface.path = entry.value(QLatin1String("path")).toString();
        if (!readNumber(entry, "usagePage", true, 0xFFA0, &usagePage) || usagePage > 0xFFFF
            || !readNumber(entry, "usage", true, 1, &usage) || usage > 0xFFFF) {
            *error = QStringLiteral("interface %1 has a bad usage page or usage").arg(i);
            return false;
        }
        iface.usagePage = static_cast<std::uint16_t>(usagePage);
        iface.usage = static_cast<std::uint16_t>(usage);
        if (iface.path.isEmpty())
            iface.path = derivedPath(device->vendorId, device->productId, iface.collection, group, i);
        iface.instanceId = entry.value(QLatin1String("instanceId")).toString();
        if (iface.instanceId.isEmpty())
            iface.instanceId = transport::instanceIdFromPath(iface.path);
        // Longer texts would not fit the 510-byte fields of the device block.
        if (iface.path.size() > 254 || iface.instanceId.size() > 254) {
            *error = QStringLiteral("interface %1 has a path or instance id over 254 characters").arg(i);
            return false;
        }
        device->interfaces.append(iface);
    }
    device->bootLoader.path = derivedPath(kBootLoaderVendorId, kBootLoaderProductId, QString(),
                                          QStringLiteral("8&") + group.mid(2), 0);
    device->bootLoader.instanceId = transport::instanceIdFromPath(device->bootLoader.path);

    if (!parseProperties(object.value(QLatin1String("properties")), &device->properties, error)
        || !parseMemory(object.value(QLatin1String("memory")), static_cast<int>(memorySize), &device->memory, error))
        return false;
    // Without a recorded factory state, the state the file first describes is
    // the factory state; it is written out as "factory" with the first save.
    if (object.contains(QLatin1String("factory"))) {
        const QJsonObject factory = object.value(QLatin1String("factory")).toObject();
        if (!parseProperties(factory.value(QLatin1String("properties")), &device->factory.properties, error)
            || !parseMemory(factory.value(QLatin1String("memory")), static_cast<int>(memorySize),
                            &device->factory.memory, error))
            return false;
    } else {
        device->factory.properties = device->properties;
        device->factory.memory = device->memory;
    }

    const QString frame = object.value(QLatin1String("lightingFrame")).toString();
    if (!parseByteText(frame, &device->lightingFrame) || device->lightingFrame.size() > 1024) {
        *error = QStringLiteral("\"lightingFrame\" is not a byte list of at most 1024 bytes");
        return false;
    }
    device->present = object.value(QLatin1String("present")).toBool(true);
    device->inBootLoader = object.value(QLatin1String("bootLoader")).toBool(false);
    device->firmwareValid = object.value(QLatin1String("firmwareValid")).toBool(true);
    return parseReports(object, device, error) && parseFaults(object.value(QLatin1String("faults")), &device->faults, error);
}

QJsonObject propertiesToJson(const QMap<int, QByteArray> &properties)
{
    QJsonObject object;
    for (auto it = properties.begin(); it != properties.end(); ++it)
        object.insert(QString::number(it.key()), QString::fromLatin1(formatByteText(it.value())));
    return object;
}

// The first byte at or after `from` that is not zero; `size` when none is.
int nextNonZero(const char *data, int from, int size)
{
    int i = from;
    while (i < size && (i % 8) != 0 && data[i] == 0)
        ++i;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, sizeof word);
        if (word != 0)
            break;
    }
    while (i < size && data[i] == 0)
        ++i;
    return i;
}

// The non-zero parts of a memory image, each as its address and its bytes
// in plain hexadecimal; zero gaps shorter than 16 bytes stay inside a
// segment so that a sparse table does not split into single bytes. The
// text made last is kept with the image it was made from: while the device
// holds that same array (a change to it makes a copy), it is used again.
QJsonArray memoryToJson(const QByteArray &memory, MemoryText &cache)
{
    if (cache.valid && cache.image.constData() == memory.constData() && cache.image.size() == memory.size())
        return cache.segments;
    QJsonArray segments;
    const char *data = memory.constData();
    const int size = memory.size();
    int i = nextNonZero(data, 0, size);
    while (i < size) {
        const int start = i;
        int end = i + 1;  // one past the last non-zero byte of the segment
        for (;;) {
            const int next = nextNonZero(data, end, size);
            if (next >= size || next - end >= 16) {
                i = next;
                break;
            }
            end = next + 1;
        }
        QJsonObject segment;
        segment.insert(QStringLiteral("address"), QStringLiteral("0x%1").arg(start, 0, 16));
        segment.insert(QStringLiteral("hex"), QString::fromLatin1(formatHexText(data + start, end - start)));
        segments.append(segment);
    }
    cache.image = memory;
    cache.segments = segments;
    cache.valid = true;
    return segments;
}

} // namespace

QString Device::key() const
{
    if (!reportedId.isEmpty())
        return reportedId;
    return QStringLiteral("%1%2").arg(vendorId, 4, 16, QLatin1Char('0')).arg(productId, 4, 16, QLatin1Char('0')).toUpper();
}

bool parseDeviceSet(const QByteArray &json, DeviceSet *set)
{
    *set = DeviceSet();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject()) {
        set->problems.append(QStringLiteral("not a JSON object: %1").arg(parseError.errorString()));
        return false;
    }
    set->root = document.object();
    set->rawDevices = set->root.value(QLatin1String("devices")).toArray();
    if (set->rawDevices.size() > kMaxDevices) {
        set->problems.append(QStringLiteral("the set has %1 devices, more than %2: the set is refused")
                                 .arg(set->rawDevices.size())
                                 .arg(kMaxDevices));
        set->rawDevices = QJsonArray();
        return false;
    }
    qint64 totalMemory = 0;
    for (int i = 0; i < set->rawDevices.size(); ++i) {
        Device device;
        QString error;
        if (!set->rawDevices.at(i).isObject()) {
            set->problems.append(QStringLiteral("device %1: not an object").arg(i));
            continue;
        }
        if (!parseDevice(set->rawDevices.at(i).toObject(), i, &device, &error)) {
            set->problems.append(QStringLiteral("device %1: %2").arg(i).arg(error));
            continue;
        }
        totalMemory += device.memory.size();
        if (totalMemory > kMaxTotalMemorySize) {
            set->problems.append(QStringLiteral("the devices' memory exceeds %1 bytes in all: the set is refused")
                                     .arg(kMaxTotalMemorySize));
            set->devices.clear();
            set->rawDevices = QJsonArray();
            return false;
        }
        set->devices.append(device);
    }
    return true;
}

QByteArray serializeDeviceSet(const DeviceSet &set)
{
    QJsonArray raw = set.rawDevices;
    for (const Device &device : set.devices) {
        QJsonObject object = raw.at(device.rawIndex).toObject();
        object.insert(QStringLiteral("properties"), propertiesToJson(device.properties));
        object.insert(QStringLiteral("memory"), memoryToJson(device.memory, device.memoryText));
        QJsonObject factory;
        factory.insert(QStringLiteral("properties"), propertiesToJson(device.factory.properties));
        factory.insert(QStringLiteral("memory"), memoryToJson(device.factory.memory, device.factoryText));
        object.insert(QStringLiteral("factory"), factory);
        if (device.lightingFrame.isEmpty())
            object.remove(QStringLiteral("lightingFrame"));
        else
            object.insert(QStringLiteral("lightingFrame"), QString::fromLatin1(formatByteText(device.lightingFrame)));
        object.insert(QStringLiteral("present"), device.present);
        object.insert(QStringLiteral("bootLoader"), device.inBootLoader);
        object.insert(QStringLiteral("firmwareValid"), device.firmwareValid);
        object.insert(QStringLiteral("firmwareVersion"), device.firmwareVersion);
        if (device.hasRom) {
            object.insert(QStringLiteral("romLength"), static_cast<qint64>(device.romLength));
            object.insert(QStringLiteral("romCrc32"), QStringLiteral("0x%1").arg(device.romCrc, 8, 16, QLatin1Char('0')));
        }
        raw.replace(device.rawIndex, object);
    }
    QJsonObject root = set.root;
    root.insert(QStringLiteral("devices"), raw);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace emulator
