#pragma once

#include "gsettings_store.h"

typedef struct _GSettings GSettings;
typedef struct _GSettingsSchema GSettingsSchema;
typedef struct _GVariant GVariant;

// A GSettingsStore over GIO: the schema is looked up in the installed
// schemas (GSETTINGS_SCHEMA_DIR included), and nothing is called on a
// schema or key that is not installed, since GIO aborts the program for
// those. Writes are flushed to the settings backend (dconf on GNOME) before
// they return, so the desktop applies them at once, and a write the backend
// did not take (no session bus to reach dconf) fails.
class GioSettingsStore : public GSettingsStore
{
public:
    explicit GioSettingsStore(const QString& schemaId);
    ~GioSettingsStore() override;
    GioSettingsStore(const GioSettingsStore&) = delete;
    GioSettingsStore& operator=(const GioSettingsStore&) = delete;

    bool installed() const { return m_settings != nullptr; }

    QString schemaId() const override { return m_schemaId; }
    bool hasKey(const QString& key, const char* type) const override;
    bool accepts(const QString& key, const QString& value) const override;
    std::optional<double> readDouble(const QString& key) const override;
    std::optional<int> readInt(const QString& key) const override;
    std::optional<QString> readString(const QString& key) const override;
    bool writeDouble(const QString& key, double value) override;
    bool writeInt(const QString& key, int value) override;
    bool writeString(const QString& key, const QString& value) override;

private:
    // Takes value (a floating reference).
    bool write(const QString& key, const char* type, GVariant* value);

    QString m_schemaId;
    GSettingsSchema* m_schema = nullptr;
    GSettings* m_settings = nullptr;
};
