#include "command_table.h"

#include <algorithm>

void CommandTable::add(int order, const QString& name, std::function<void(CommandContext&)> run, Needs needs)
{
    CommandEntry entry;
    entry.order = order;
    entry.name = name;
    entry.needsWindow = needs == NeedsWindow;
    entry.run = std::move(run);
    const auto at = std::upper_bound(m_entries.begin(), m_entries.end(), order,
                                     [](int o, const CommandEntry& e) { return o < e.order; });
    m_entries.insert(at, entry);
}

const CommandEntry* CommandTable::find(const QString& name) const
{
    for (const CommandEntry& entry : m_entries) {
        if (entry.name.compare(name, Qt::CaseSensitive) == 0)
            return &entry;
    }
    return nullptr;
}

QStringList CommandTable::names() const
{
    QStringList out;
    for (const CommandEntry& entry : m_entries)
        out << entry.name;
    return out;
}
