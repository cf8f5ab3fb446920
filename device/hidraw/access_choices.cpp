#include "access_choices.h"

#include "no_follow_file.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

QString hex4(quint16 value)
{
    return QString::number(value, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

bool readHex4(const QJsonValue& value, quint16* out)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9A-Fa-f]{4}$"));
    const QString text = value.toString();
    if (!pattern.match(text).hasMatch())
        return false;
    *out = static_cast<quint16>(text.toUInt(nullptr, 16));
    return true;
}

} // namespace

AccessChoices AccessChoices::load(const QString& path, QString* why)
{
    AccessChoices choices;
    QFile file(path);
    if (!file.exists())
        return choices;
    const auto refuse = [&](const QString& reason) {
        if (why)
            *why = QStringLiteral("%1: %2").arg(path, reason);
        return AccessChoices();
    };
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("cannot be read"));
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes)
        return refuse(QStringLiteral("larger than %1 bytes").arg(kMaxFileBytes));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return refuse(QStringLiteral("not a JSON object"));
    const QJsonArray devices = document.object().value(QStringLiteral("devices")).toArray();
    if (devices.size() > kMaxEntries)
        return refuse(QStringLiteral("more than %1 devices").arg(kMaxEntries));
    static const QRegularExpression sha(QStringLiteral("^[0-9a-f]{64}$"));
    static const QRegularExpression firmware(QStringLiteral("^[0-9A-F]{0,4}$"));
    for (const QJsonValue& value : devices) {
        const QJsonObject o = value.toObject();
        Entry entry;
        const QString hash = o.value(QStringLiteral("descriptorSha256")).toString();
        const QString version = o.value(QStringLiteral("firmware")).toString();
        const int interface = o.value(QStringLiteral("interface")).toInt(-1);
        if (!readHex4(o.value(QStringLiteral("vendor")), &entry.device.vendor)
            || !readHex4(o.value(QStringLiteral("product")), &entry.device.product) || interface < 0
            || interface > 255 || !sha.match(hash).hasMatch() || !firmware.match(version).hasMatch()
            || !parseAccessName(o.value(QStringLiteral("access")).toString(), &entry.level)
            || (entry.level != AccessLevel::DryRun && entry.level != AccessLevel::Experimental))
            return refuse(QStringLiteral("a device entry is not understood"));
        entry.device.interfaceNumber = interface;
        entry.device.descriptorHash = hash.toLatin1();
        entry.device.firmware = version;
        choices.m_entries.append(entry);
    }
    return choices;
}

bool AccessChoices::save(const QString& path, QString* why) const
{
    QJsonArray devices;
    for (const Entry& e : m_entries) {
        devices.append(QJsonObject{{QStringLiteral("vendor"), hex4(e.device.vendor)},
                                   {QStringLiteral("product"), hex4(e.device.product)},
                                   {QStringLiteral("interface"), e.device.interfaceNumber},
                                   {QStringLiteral("descriptorSha256"), QString::fromLatin1(e.device.descriptorHash)},
                                   {QStringLiteral("firmware"), e.device.firmware},
                                   {QStringLiteral("access"), accessName(e.level)}});
    }
    const QByteArray bytes = QJsonDocument(QJsonObject{{QStringLiteral("devices"), devices}}).toJson();
    return NoFollowFile::save(path, bytes, QString(), why);
}

AccessLevel AccessChoices::levelFor(const DeviceIdentity& device, const QVector<DeviceIdentity>& verified) const
{
    for (const DeviceIdentity& confirmed : verified) {
        if (confirmed == device)
            return AccessLevel::Verified;
    }
    for (const Entry& e : m_entries) {
        if (e.device == device)
            return e.level;
    }
    return AccessLevel::ReadOnly;
}

bool AccessChoices::set(const DeviceIdentity& device, AccessLevel level)
{
    if (level == AccessLevel::Verified)
        return false;
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).device == device) {
            m_entries.remove(i);
            break;
        }
    }
    if (level == AccessLevel::ReadOnly)
        return true;
    if (m_entries.size() >= kMaxEntries)
        return false;
    m_entries.append(Entry{device, level});
    return true;
}
