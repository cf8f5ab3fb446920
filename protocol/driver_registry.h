#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

class DriverDefinition;

// The Driver definitions known to the program, by the Version text each
// document names in its root element: the document text and its parsed
// form. A document is parsed once per process: the parsed definitions are
// shared, by their text, among all registries of the process (each host
// has its own write worker), and kept as long as a registry holds them, so
// a request that selects a definition finds it parsed.
class DriverRegistry
{
public:
    // Reads the document at path (a file or a ":/" resource) and stores it
    // under the Version attribute of its /Driver root. A document with the
    // Version of an earlier one replaces it. Returns false, and changes
    // nothing, when the file cannot be opened, does not parse, or names no
    // Version.
    bool registerDriver(const QString& path);

    // The stored text for version; empty when none is registered.
    QByteArray text(const QString& version) const;
    // The parsed definition for version; null when none is registered.
    std::shared_ptr<const DriverDefinition> definition(const QString& version) const;

    bool contains(const QString& version) const;

    // The registered Version texts, sorted.
    QStringList versions() const;

    // The parsed definition of text, parsed now unless the process has it
    // already; null when the text does not parse.
    static std::shared_ptr<const DriverDefinition> parsed(const QByteArray& text);

private:
    struct Entry {
        QByteArray text;
        std::shared_ptr<const DriverDefinition> definition;
    };
    QMap<QString, Entry> m_entries;
};
