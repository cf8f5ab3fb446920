#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class CommandContext;

// The page commands by name. Each entry carries its place in the comparison
// order, so that a subsystem can add its commands from its own file and the
// table still compares names in the documented order. Names are compared
// exactly, letter case included: "modifyMouseAcce" and "modifyMouseAccel"
// are two commands.
struct CommandEntry {
    int order = 0;
    QString name;
    // Commands that need a window, a view, the tray or a dialog. Without a
    // window the dispatcher answers them with a failure instead of running
    // them.
    bool needsWindow = false;
    std::function<void(CommandContext&)> run;
};

class CommandTable
{
public:
    enum Needs { AnyHost, NeedsWindow };

    // Adds an entry in order; a later entry with the same order goes after
    // the earlier ones.
    void add(int order, const QString& name, std::function<void(CommandContext&)> run, Needs needs = AnyHost);

    // The first entry, in order, whose name equals name exactly; nullptr
    // when there is none.
    const CommandEntry* find(const QString& name) const;

    QStringList names() const;

private:
    QVector<CommandEntry> m_entries;
};
