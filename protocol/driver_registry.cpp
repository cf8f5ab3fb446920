#include "driver_registry.h"

#include "driver_definition.h"

#include <QFile>
#include <QHash>

#include <mutex>

namespace {

// The definitions parsed in this process, by document text. Entries go
// when no registry holds their definition any more.
struct ParsedCache {
    std::mutex mutex;
    QHash<QByteArray, std::weak_ptr<const DriverDefinition>> byText;
};

ParsedCache& cache()
{
    static ParsedCache instance;
    return instance;
}

} // namespace

std::shared_ptr<const DriverDefinition> DriverRegistry::parsed(const QByteArray& text)
{
    ParsedCache& c = cache();
    {
        std::lock_guard<std::mutex> lock(c.mutex);
        if (auto known = c.byText.value(text).lock())
            return known;
    }
    auto definition = std::make_shared<DriverDefinition>();
    if (!definition->load(text))
        return nullptr;
    std::lock_guard<std::mutex> lock(c.mutex);
    // Another thread may have parsed the same text meanwhile: keep one.
    if (auto known = c.byText.value(text).lock())
        return known;
    for (auto it = c.byText.begin(); it != c.byText.end();) {
        if (it.value().expired())
            it = c.byText.erase(it);
        else
            ++it;
    }
    c.byText.insert(text, definition);
    return definition;
}

bool DriverRegistry::registerDriver(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.readAll();
    const std::shared_ptr<const DriverDefinition> definition = parsed(text);
    if (!definition)
        return false;

    const QString version = definition->version();
    // A document without a Version could never be selected by a request;
    // storing it under "" would only let an empty driver name load it.
    if (version.isEmpty())
        return false;

    m_entries.insert(version, Entry{text, definition});
    return true;
}

QByteArray DriverRegistry::text(const QString& version) const
{
    return m_entries.value(version).text;
}

std::shared_ptr<const DriverDefinition> DriverRegistry::definition(const QString& version) const
{
    return m_entries.value(version).definition;
}

bool DriverRegistry::contains(const QString& version) const
{
    return m_entries.contains(version);
}

QStringList DriverRegistry::versions() const
{
    return m_entries.keys();
}
