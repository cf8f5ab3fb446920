#pragma once

// Stand-ins for the desktop in the pointer settings tests: a GSettings
// schema held in memory and an X server's pointer control.

#include <QMap>
#include <QStringList>
#include <QVariant>

#include "gsettings_store.h"
#include "x11_pointer_control.h"

class FakeGSettingsStore : public GSettingsStore
{
public:
    struct Key {
        QByteArray type;
        QVariant value;
        QStringList choices; // an enumerated key's values
        bool writable = true;
    };

    // The GNOME mouse schema as the desktop installs it.
    static FakeGSettingsStore* gnomeMouse()
    {
        auto* store = new FakeGSettingsStore;
        store->keys.insert("speed", {"d", 0.0, {}, true});
        store->keys.insert("accel-profile", {"s", QString("default"), {"default", "flat", "adaptive"}, true});
        store->keys.insert("double-click", {"i", 400, {}, true});
        return store;
    }

    QString schemaId() const override { return "org.gnome.desktop.peripherals.mouse"; }
    bool hasKey(const QString& key, const char* type) const override
    {
        return keys.contains(key) && keys[key].type == type;
    }
    bool accepts(const QString& key, const QString& value) const override
    {
        return hasKey(key, "s") && (keys[key].choices.isEmpty() || keys[key].choices.contains(value));
    }
    std::optional<double> readDouble(const QString& key) const override
    {
        return hasKey(key, "d") ? std::optional<double>(keys[key].value.toDouble()) : std::nullopt;
    }
    std::optional<int> readInt(const QString& key) const override
    {
        return hasKey(key, "i") ? std::optional<int>(keys[key].value.toInt()) : std::nullopt;
    }
    std::optional<QString> readString(const QString& key) const override
    {
        return hasKey(key, "s") ? std::optional<QString>(keys[key].value.toString()) : std::nullopt;
    }
    bool writeDouble(const QString& key, double value) override { return write(key, "d", value); }
    bool writeInt(const QString& key, int value) override { return write(key, "i", value); }
    bool writeString(const QString& key, const QString& value) override
    {
        return accepts(key, value) && write(key, "s", value);
    }

    QMap<QString, Key> keys;
    QStringList writes;

private:
    bool write(const QString& key, const char* type, const QVariant& value)
    {
        if (!hasKey(key, type) || !keys[key].writable)
            return false;
        keys[key].value = value;
        writes << key + "=" + value.toString();
        return true;
    }
};

class FakePointerControl : public X11PointerControl
{
public:
    bool read(PointerControl* out) override
    {
        if (!reachable)
            return false;
        *out = control;
        return true;
    }
    bool change(const PointerControl& value) override
    {
        if (!reachable || value.numerator < 0 || value.denominator <= 0 || value.threshold < -1)
            return false;
        control = value;
        ++changes;
        return true;
    }

    PointerControl control{2, 1, 4}; // the X server's default
    bool reachable = true;
    int changes = 0;
};
