// GIO's headers come first: they use the word "signals", which Qt's headers
// define as a macro.
#include <gio/gio.h>

#include "gio_settings_store.h"

#include <cmath>

namespace {

QByteArray keyName(const QString& key)
{
    return key.toUtf8();
}

} // namespace

GioSettingsStore::GioSettingsStore(const QString& schemaId)
    : m_schemaId(schemaId)
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return;
    m_schema = g_settings_schema_source_lookup(source, schemaId.toUtf8().constData(), TRUE);
    if (m_schema)
        m_settings = g_settings_new_full(m_schema, nullptr, nullptr);
}

GioSettingsStore::~GioSettingsStore()
{
    if (m_settings)
        g_object_unref(m_settings);
    if (m_schema)
        g_settings_schema_unref(m_schema);
}

bool GioSettingsStore::hasKey(const QString& key, const char* type) const
{
    if (!m_settings || !g_settings_schema_has_key(m_schema, keyName(key).constData()))
        return false;
    GSettingsSchemaKey* schemaKey = g_settings_schema_get_key(m_schema, keyName(key).constData());
    const bool same = g_variant_type_equal(g_settings_schema_key_get_value_type(schemaKey), G_VARIANT_TYPE(type));
    g_settings_schema_key_unref(schemaKey);
    return same;
}

bool GioSettingsStore::accepts(const QString& key, const QString& value) const
{
    if (!hasKey(key, "s"))
        return false;
    GSettingsSchemaKey* schemaKey = g_settings_schema_get_key(m_schema, keyName(key).constData());
    GVariant* variant = g_variant_ref_sink(g_variant_new_string(value.toUtf8().constData()));
    const bool inRange = g_settings_schema_key_range_check(schemaKey, variant);
    g_variant_unref(variant);
    g_settings_schema_key_unref(schemaKey);
    return inRange;
}

std::optional<double> GioSettingsStore::readDouble(const QString& key) const
{
    if (!hasKey(key, "d"))
        return std::nullopt;
    return g_settings_get_double(m_settings, keyName(key).constData());
}

std::optional<int> GioSettingsStore::readInt(const QString& key) const
{
    if (!hasKey(key, "i"))
        return std::nullopt;
    return g_settings_get_int(m_settings, keyName(key).constData());
}

std::optional<QString> GioSettingsStore::readString(const QString& key) const
{
    if (!hasKey(key, "s"))
        return std::nullopt;
    gchar* value = g_settings_get_string(m_settings, keyName(key).constData());
    const QString text = QString::fromUtf8(value);
    g_free(value);
    return text;
}

bool GioSettingsStore::write(const QString& key, const char* type, GVariant* value)
{
    g_variant_ref_sink(value);
    bool written = false;
    if (hasKey(key, type) && g_settings_is_writable(m_settings, keyName(key).constData())) {
        GSettingsSchemaKey* schemaKey = g_settings_schema_get_key(m_schema, keyName(key).constData());
        // Setting a value outside the key's range is a programming error to
        // GIO; it is checked here first.
        if (g_settings_schema_key_range_check(schemaKey, value))
            written = g_settings_set_value(m_settings, keyName(key).constData(), value);
        g_settings_schema_key_unref(schemaKey);
    }
    if (written) {
        // Writes reach the settings backend (dconf) asynchronously, and a
        // failure there (no session bus) is only a warning on the console;
        // after the sync the backend holds the value only when it took it.
        g_settings_sync();
        GVariant* now = g_settings_get_value(m_settings, keyName(key).constData());
        written = g_variant_equal(now, value);
        g_variant_unref(now);
    }
    g_variant_unref(value);
    return written;
}

bool GioSettingsStore::writeDouble(const QString& key, double value)
{
    return std::isfinite(value) && write(key, "d", g_variant_new_double(value));
}

bool GioSettingsStore::writeInt(const QString& key, int value)
{
    return write(key, "i", g_variant_new_int32(value));
}

bool GioSettingsStore::writeString(const QString& key, const QString& value)
{
    return write(key, "s", g_variant_new_string(value.toUtf8().constData()));
}
