#pragma once

#include <QString>

#include <optional>

// The calls the GSettings pointer backend makes on one GSettings schema,
// behind an interface so that tests can stand in for the desktop. The real
// one is GioSettingsStore.
class GSettingsStore
{
public:
    virtual ~GSettingsStore() = default;

    // The schema's id, for log lines.
    virtual QString schemaId() const = 0;
    // True when the schema is installed and has the key with this value
    // type ("d", "i", "s"; an enumerated key has type "s").
    virtual bool hasKey(const QString& key, const char* type) const = 0;
    // True when the key accepts the value (the enumerated key's range).
    virtual bool accepts(const QString& key, const QString& value) const = 0;

    // Reads answer nullopt for a key the schema lacks. Writes answer false
    // for a key the schema lacks, a value outside the key's range or a key
    // that is locked; they reach the desktop before they return.
    virtual std::optional<double> readDouble(const QString& key) const = 0;
    virtual std::optional<int> readInt(const QString& key) const = 0;
    virtual std::optional<QString> readString(const QString& key) const = 0;
    virtual bool writeDouble(const QString& key, double value) = 0;
    virtual bool writeInt(const QString& key, int value) = 0;
    virtual bool writeString(const QString& key, const QString& value) = 0;
};
