#include "pointer_settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <climits>
#include <cmath>

#include "logging.h"
#include "no_follow_file.h"
#include "pointer_tables.h"

namespace {

// The file holds a handful of numbers; anything larger is not ours.
const qint64 kMaxFileSize = 64 * 1024;

// A whole number within int range, or nullopt.
std::optional<int> wholeNumber(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::floor(number) != number || number < INT_MIN || number > INT_MAX)
        return std::nullopt;
    return int(number);
}

} // namespace

PointerSettingsFile::PointerSettingsFile(const QString& path)
    : m_path(path)
{
}

QString PointerSettingsFile::defaultPath()
{
    QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        folder = QDir::homePath() + QStringLiteral("/.config");
    return folder + QStringLiteral("/orvanta/pointer.json");
}

PointerSettingsFile::Load PointerSettingsFile::load(QJsonObject* object) const
{
    const QFileInfo info(m_path);
    if (!info.exists())
        return Load::Missing;
    // Not a regular file (a folder, a pipe that would block the read) or
    // far larger than the settings can be: not ours to read.
    if (!info.isFile() || info.size() > kMaxFileSize) {
        LOG_WARNING(QStringLiteral("Application Error: pointer settings file %1 is not a small regular file").arg(m_path));
        return Load::Malformed;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        LOG_WARNING(QStringLiteral("Application Error: cannot read pointer settings file %1").arg(m_path));
        return Load::Unreadable;
    }
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (bytes.size() > kMaxFileSize || error.error != QJsonParseError::NoError || !document.isObject()) {
        LOG_WARNING(QStringLiteral("Application Error: pointer settings file %1 is malformed; its values are ignored")
                        .arg(m_path));
        return Load::Malformed;
    }
    *object = document.object();
    return Load::Read;
}

std::optional<MouseAcceleration> PointerSettingsFile::readAcceleration(const std::optional<MouseAcceleration>&)
{
    QJsonObject object;
    if (load(&object) != Load::Read)
        return std::nullopt;
    const QJsonArray values = object.value(pointerSettingName(PointerSetting::Acceleration)).toArray();
    if (values.size() != 3)
        return std::nullopt;
    const std::optional<int> threshold1 = wholeNumber(values.at(0));
    const std::optional<int> threshold2 = wholeNumber(values.at(1));
    const std::optional<int> acceleration = wholeNumber(values.at(2));
    if (!threshold1 || !threshold2 || !acceleration)
        return std::nullopt;
    const MouseAcceleration value{*threshold1, *threshold2, *acceleration};
    if (!PointerTables::isValid(value))
        return std::nullopt;
    return value;
}

bool PointerSettingsFile::writeAcceleration(const MouseAcceleration& value)
{
    return store(pointerSettingName(PointerSetting::Acceleration),
                 QJsonArray{value.threshold1, value.threshold2, value.acceleration});
}

std::optional<int> PointerSettingsFile::readValue(PointerSetting setting)
{
    QJsonObject object;
    if (setting == PointerSetting::Acceleration || load(&object) != Load::Read)
        return std::nullopt;
    const std::optional<int> value = wholeNumber(object.value(pointerSettingName(setting)));
    if (!value || !PointerTables::isValid(setting, *value))
        return std::nullopt;
    return value;
}

bool PointerSettingsFile::writeValue(PointerSetting setting, int value)
{
    if (setting == PointerSetting::Acceleration)
        return false;
    return store(pointerSettingName(setting), value);
}

bool PointerSettingsFile::store(const QString& member, const QJsonValue& value)
{
    QJsonObject object;
    const Load loaded = load(&object);
    if (loaded == Load::Unreadable)
        return false;
    if (loaded == Load::Malformed) {
        // Keep what was there for the user to look at. Something that is
        // not a regular file (a folder) is left alone, and nothing is
        // written.
        if (!QFileInfo(m_path).isFile())
            return false;
        const QString kept = m_path + QStringLiteral(".corrupt");
        QFile::remove(kept);
        if (!QFile::rename(m_path, kept)) {
            LOG_WARNING(QStringLiteral("Application Error: cannot keep the malformed pointer settings file %1")
                            .arg(m_path));
            return false;
        }
        LOG_INFO(QStringLiteral("Application Info: malformed pointer settings file kept as %1").arg(kept));
    }
    object.insert(member, value);

    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        LOG_WARNING(QStringLiteral("Application Error: cannot create the folder of %1").arg(m_path));
        return false;
    }
    // Written whole beside the name and renamed over it, never through a
    // link placed there.
    QString why;
    if (!NoFollowFile::save(m_path, QJsonDocument(object).toJson(QJsonDocument::Indented), QString(), &why)) {
        LOG_WARNING(QStringLiteral("Application Error: cannot write pointer settings file %1: %2").arg(m_path, why));
        return false;
    }
    return true;
}
