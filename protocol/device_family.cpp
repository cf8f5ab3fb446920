#include "device_family.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "logging.h"

namespace {

struct Table {
    QHash<QString, DeviceFamily> families;
    QStringList order;
    QByteArray document;
};

DeviceFamily::Writer writerOf(const QString& text, bool* ok)
{
    if (text == QLatin1String("property"))
        return DeviceFamily::Writer::Property;
    if (text == QLatin1String("address"))
        return DeviceFamily::Writer::Address;
    if (text == QLatin1String("keyboardProfile"))
        return DeviceFamily::Writer::KeyboardProfile;
    *ok = false;
    return DeviceFamily::Writer::Property;
}

DeviceFamily::MacroStore macroStoreOf(const QString& text, bool* ok)
{
    if (text == QLatin1String("slots"))
        return DeviceFamily::MacroStore::Slots;
    if (text == QLatin1String("units"))
        return DeviceFamily::MacroStore::Units;
    if (text == QLatin1String("block"))
        return DeviceFamily::MacroStore::Block;
    *ok = false;
    return DeviceFamily::MacroStore::Slots;
}

bool keyOf(const QJsonValue& value, quint32* key)
{
    bool ok = false;
    const QString text = value.toString();
    *key = text.toUInt(&ok, 16);
    return ok && text.size() == 8;
}

// One record; false when a member the program reads is missing or unknown.
bool readFamily(const QString& version, const QJsonObject& record, DeviceFamily* family)
{
    bool ok = true;
    family->version = version;
    family->kind = record.value(QStringLiteral("kind")).toString();
    family->definition = record.value(QStringLiteral("definition")).toString(version);
    family->writer = writerOf(record.value(QStringLiteral("writer")).toString(), &ok);
    family->macroStore = macroStoreOf(record.value(QStringLiteral("macroStore")).toString(), &ok);
    family->repeatInButtonCode = record.value(QStringLiteral("repeatInButtonCode")).toBool();
    family->mediaColour = record.value(QStringLiteral("mediaColour")).toBool();
    family->resetByAddress = record.value(QStringLiteral("resetByAddress")).toBool();
    family->periodicReset = record.value(QStringLiteral("periodicReset")).toBool();
    if (record.contains(QStringLiteral("keyRange"))) {
        const QJsonArray range = record.value(QStringLiteral("keyRange")).toArray();
        ok = ok && range.size() == 2 && keyOf(range.at(0), &family->firstKey) && keyOf(range.at(1), &family->lastKey)
            && family->firstKey <= family->lastKey && family->lastKey != 0;
    }
    return ok && (family->kind == QLatin1String("mouse") || family->kind == QLatin1String("keyboard"));
}

Table load()
{
    Table table;
    QFile file(QStringLiteral(":/drive/families.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        LOG_ERROR(QStringLiteral("Device Error: the family table :/drive/families.json is missing"));
        return table;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (!document.isObject()) {
        LOG_ERROR(QStringLiteral("Device Error: the family table does not read: %1").arg(error.errorString()));
        return table;
    }
    const QJsonObject root = document.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        DeviceFamily family;
        if (!readFamily(it.key(), it.value().toObject(), &family)) {
            LOG_ERROR(QStringLiteral("Device Error: the family table's record %1 is incomplete").arg(it.key()));
            continue;
        }
        table.families.insert(it.key(), family);
        table.order << it.key();
    }
    table.document = document.toJson(QJsonDocument::Compact);
    return table;
}

const Table& table()
{
    static const Table loaded = load();
    return loaded;
}

} // namespace

namespace DeviceFamilies {

const DeviceFamily* find(const QString& version)
{
    const auto& families = table().families;
    const auto it = families.constFind(version);
    return it == families.constEnd() ? nullptr : &it.value();
}

const DeviceFamily* ofDeviceKey(const QString& key)
{
    bool ok = false;
    const quint32 value = key.toUInt(&ok, 16);
    if (!ok)
        return nullptr;
    for (const DeviceFamily& family : table().families) {
        if (family.ownsKey(value))
            return &family;
    }
    return nullptr;
}

const DeviceFamily* forWrite(const QString& deviceKey, const QString& driverVersion)
{
    const DeviceFamily* named = find(driverVersion);
    if (!named)
        return nullptr;
    if (named->writer == DeviceFamily::Writer::KeyboardProfile)
        return named;
    const DeviceFamily* byKey = ofDeviceKey(deviceKey);
    return byKey ? byKey : named;
}

QStringList versions()
{
    return table().order;
}

QByteArray document()
{
    return table().document;
}

} // namespace DeviceFamilies
