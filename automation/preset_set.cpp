#include "preset_set.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

#include <pugixml.hpp>

namespace {

constexpr int kFormat = 1;

bool fail(QString* why, const QString& text)
{
    if (why)
        *why = text;
    return false;
}

bool hasControl(const QString& text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return true;
    }
    return false;
}

// A text member that must be a string (or absent, when optional) of at
// most max characters without control characters.
bool readText(const QJsonObject& object, const char* member, int max, bool required, QString* out, QString* why,
              bool lines = false)
{
    const QJsonValue value = object.value(QLatin1String(member));
    if (value.isUndefined() && !required) {
        out->clear();
        return true;
    }
    if (!value.isString())
        return fail(why, QStringLiteral("\"%1\" is not a text").arg(QLatin1String(member)));
    *out = value.toString();
    if (required && out->trimmed().isEmpty())
        return fail(why, QStringLiteral("\"%1\" is empty").arg(QLatin1String(member)));
    if (out->size() > max)
        return fail(why, QStringLiteral("\"%1\" is longer than %2 characters").arg(QLatin1String(member)).arg(max));
    // A map is an XML document, written over several lines; names and
    // programs are single lines of text.
    if (!lines && hasControl(*out))
        return fail(why, QStringLiteral("\"%1\" holds control characters").arg(QLatin1String(member)));
    return true;
}

bool validMap(const QString& map, QString* why)
{
    if (map.isEmpty())
        return true;
    if (map.size() > PresetSet::kMaxMap)
        return fail(why, QStringLiteral("a map is larger than %1 characters").arg(PresetSet::kMaxMap));
    pugi::xml_document doc;
    const QByteArray utf8 = map.toUtf8();
    if (!doc.load_buffer(utf8.constData(), size_t(utf8.size())) || QLatin1String(doc.document_element().name()) != QLatin1String("map"))
        return fail(why, QStringLiteral("a map is not a \"map\" document"));
    return true;
}

std::optional<PresetStage> readStage(const QJsonValue& value, bool* ok, QString* why)
{
    *ok = true;
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    *ok = false;
    if (!value.isObject()) {
        fail(why, QStringLiteral("\"dpiStage\" is not an object"));
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    PresetStage stage;
    if (!readText(object, "device", 8, true, &stage.device, why) || !readText(object, "driver", 8, true, &stage.driver, why))
        return std::nullopt;
    static const QRegularExpression deviceKey(QStringLiteral("^[0-9A-F]{8}$"));
    static const QRegularExpression driver(QStringLiteral("^[A-Z][0-9]\\.[0-9]$"));
    if (!deviceKey.match(stage.device).hasMatch() || !driver.match(stage.driver).hasMatch()) {
        fail(why, QStringLiteral("\"dpiStage\" names no device key and Driver definition"));
        return std::nullopt;
    }
    const QJsonValue number = object.value(QLatin1String("stage"));
    const double n = number.toDouble(-1);
    // The range first: a number far out of it has no int to compare with.
    if (!number.isDouble() || !(n >= 0 && n <= PresetSet::kMaxStage) || n != std::floor(n)) {
        fail(why, QStringLiteral("\"stage\" is not a stage from 0 to %1").arg(PresetSet::kMaxStage));
        return std::nullopt;
    }
    stage.stage = int(n);
    *ok = true;
    return stage;
}

std::optional<QJsonObject> documentObject(const QByteArray& text, QString* why)
{
    if (text.size() > PresetSet::kMaxFileSize) {
        fail(why, QStringLiteral("the file is larger than %1 bytes").arg(PresetSet::kMaxFileSize));
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (!doc.isObject()) {
        fail(why, error.error != QJsonParseError::NoError ? QStringLiteral("not JSON: %1").arg(error.errorString())
                                                          : QStringLiteral("not a JSON object"));
        return std::nullopt;
    }
    const QJsonObject object = doc.object();
    const QJsonValue format = object.value(QLatin1String("format"));
    if (!format.isUndefined() && format.toDouble() != kFormat) {
        fail(why, QStringLiteral("format %1 is not one this program reads").arg(format.toVariant().toString()));
        return std::nullopt;
    }
    return object;
}

std::optional<QVector<Preset>> presetsOf(const QJsonObject& object, QString* defaultPreset, QString* why)
{
    const QJsonValue list = object.value(QLatin1String("presets"));
    if (!list.isArray()) {
        fail(why, QStringLiteral("\"presets\" is not a list"));
        return std::nullopt;
    }
    const QJsonArray array = list.toArray();
    if (array.isEmpty() || array.size() > PresetSet::kMaxPresets) {
        fail(why, QStringLiteral("there must be 1 to %1 presets").arg(PresetSet::kMaxPresets));
        return std::nullopt;
    }
    QVector<Preset> presets;
    for (const QJsonValue& item : array) {
        if (!item.isObject()) {
            fail(why, QStringLiteral("a preset is not an object"));
            return std::nullopt;
        }
        const QJsonObject entry = item.toObject();
        Preset preset;
        bool stageOk = false;
        if (!readText(entry, "name", PresetSet::kMaxName, true, &preset.name, why)
            || !readText(entry, "map", PresetSet::kMaxMap, false, &preset.map, why, true) || !validMap(preset.map, why))
            return std::nullopt;
        preset.stage = readStage(entry.value(QLatin1String("dpiStage")), &stageOk, why);
        if (!stageOk)
            return std::nullopt;
        for (const Preset& other : presets) {
            if (other.name.compare(preset.name, Qt::CaseInsensitive) == 0) {
                fail(why, QStringLiteral("the name \"%1\" is given twice").arg(preset.name));
                return std::nullopt;
            }
        }
        presets.append(preset);
    }
    QString name;
    if (!readText(object, "default", PresetSet::kMaxName, true, &name, why))
        return std::nullopt;
    if (std::none_of(presets.begin(), presets.end(), [&](const Preset& p) { return p.name == name; })) {
        fail(why, QStringLiteral("the default preset \"%1\" does not exist").arg(name));
        return std::nullopt;
    }
    *defaultPreset = name;
    return presets;
}

std::optional<QVector<PresetRule>> rulesOf(const QJsonObject& object, QString* why)
{
    const QJsonValue list = object.value(QLatin1String("rules"));
    if (!list.isArray()) {
        fail(why, QStringLiteral("\"rules\" is not a list"));
        return std::nullopt;
    }
    const QJsonArray array = list.toArray();
    if (array.size() > PresetSet::kMaxRules) {
        fail(why, QStringLiteral("there are more than %1 rules").arg(PresetSet::kMaxRules));
        return std::nullopt;
    }
    QVector<PresetRule> rules;
    for (const QJsonValue& item : array) {
        if (!item.isObject()) {
            fail(why, QStringLiteral("a rule is not an object"));
            return std::nullopt;
        }
        const QJsonObject entry = item.toObject();
        PresetRule rule;
        if (!readText(entry, "app", PresetSet::kMaxApp, true, &rule.app, why)
            || !readText(entry, "title", PresetSet::kMaxTitle, false, &rule.title, why)
            || !readText(entry, "preset", PresetSet::kMaxName, true, &rule.preset, why))
            return std::nullopt;
        rule.app = rule.app.trimmed();
        rules.append(rule);
    }
    return rules;
}

QJsonArray presetsArray(const QVector<Preset>& presets)
{
    QJsonArray array;
    for (const Preset& preset : presets) {
        QJsonObject entry{{QStringLiteral("name"), preset.name}, {QStringLiteral("map"), preset.map}};
        if (preset.stage) {
            entry.insert(QStringLiteral("dpiStage"), QJsonObject{{QStringLiteral("device"), preset.stage->device},
                                                                 {QStringLiteral("driver"), preset.stage->driver},
                                                                 {QStringLiteral("stage"), preset.stage->stage}});
        }
        array.append(entry);
    }
    return array;
}

QJsonArray rulesArray(const QVector<PresetRule>& rules)
{
    QJsonArray array;
    for (const PresetRule& rule : rules) {
        array.append(QJsonObject{{QStringLiteral("app"), rule.app},
                                 {QStringLiteral("title"), rule.title},
                                 {QStringLiteral("preset"), rule.preset}});
    }
    return array;
}

} // namespace

PresetSet PresetSet::initial(const QString& map)
{
    PresetSet set;
    set.presets.append(Preset{QStringLiteral("Default"), validMap(map, nullptr) ? map : QString(), std::nullopt});
    set.defaultPreset = QStringLiteral("Default");
    return set;
}

const Preset* PresetSet::find(const QString& name) const
{
    for (const Preset& preset : presets) {
        if (preset.name == name)
            return &preset;
    }
    return nullptr;
}

std::optional<QVector<Preset>> PresetSet::presetsFromJson(const QByteArray& text, QString* defaultPreset, QString* why)
{
    const std::optional<QJsonObject> object = documentObject(text, why);
    return object ? presetsOf(*object, defaultPreset, why) : std::nullopt;
}

std::optional<QVector<PresetRule>> PresetSet::rulesFromJson(const QByteArray& text, QString* why)
{
    const std::optional<QJsonObject> object = documentObject(text, why);
    return object ? rulesOf(*object, why) : std::nullopt;
}

QByteArray PresetSet::presetsJson() const
{
    return QJsonDocument(QJsonObject{{QStringLiteral("format"), kFormat},
                                     {QStringLiteral("default"), defaultPreset},
                                     {QStringLiteral("presets"), presetsArray(presets)}})
        .toJson(QJsonDocument::Indented);
}

QByteArray PresetSet::rulesJson() const
{
    return QJsonDocument(QJsonObject{{QStringLiteral("format"), kFormat}, {QStringLiteral("rules"), rulesArray(rules)}})
        .toJson(QJsonDocument::Indented);
}

std::optional<PresetSet> PresetSet::fromPageJson(const QByteArray& text, QString* why)
{
    const std::optional<QJsonObject> object = documentObject(text, why);
    if (!object)
        return std::nullopt;
    PresetSet set;
    std::optional<QVector<Preset>> presets = presetsOf(*object, &set.defaultPreset, why);
    std::optional<QVector<PresetRule>> rules = presets ? rulesOf(*object, why) : std::nullopt;
    if (!rules)
        return std::nullopt;
    set.presets = std::move(*presets);
    set.rules = std::move(*rules);
    if (!set.check(why))
        return std::nullopt;
    return set;
}

QJsonObject PresetSet::pageObject() const
{
    return QJsonObject{{QStringLiteral("default"), defaultPreset},
                       {QStringLiteral("presets"), presetsArray(presets)},
                       {QStringLiteral("rules"), rulesArray(rules)}};
}

QByteArray PresetSet::pageJson() const
{
    return QJsonDocument(pageObject()).toJson(QJsonDocument::Compact);
}

bool PresetSet::check(QString* why) const
{
    for (const PresetRule& rule : rules) {
        if (!find(rule.preset))
            return fail(why, QStringLiteral("the rule for \"%1\" names no preset \"%2\"").arg(rule.app, rule.preset));
    }
    return true;
}
