#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <pugixml.hpp>

// One parsed Driver definition and the lookups the encoders make on it.
// Every lookup answers as the single-node query /Driver/Key[@By=value]
// would: when several rows match, the first in document order answers.
// Missing rows and missing attributes answer "" (or an empty list); nothing
// throws. The rows are indexed by Task and by Index when the document is
// loaded, so a lookup is a hash look-up, not a query; a loaded definition
// is not changed by lookups and may be shared between threads.
class DriverDefinition
{
public:
    // Parses text, replacing the previous document. On failure the
    // definition is empty and every lookup answers "".
    bool load(const QByteArray& text);
    void clear();
    bool isLoaded() const;

    // The Version attribute of the root; "" when nothing is loaded.
    QString version() const;

    // Length of the row whose Index is key when key holds a decimal digit
    // anywhere, else of the row whose Task is key.
    QString lengthOfKey(const QString& key) const;

    // [Addr, Length] of the first row with this Index, when both are
    // non-empty; an empty list otherwise.
    QStringList addrLengthOfIndex(const QString& index) const;

    QString addrOfTask(const QString& task) const;

    // Code of the first row with this Task, looked up exactly as given.
    QString codeOfTask(const QString& task) const;

    // Attribute of the first row whose attribute `by` equals value.
    QString attributeOf(const char* by, const QString& value, const char* attribute) const;

private:
    pugi::xml_node firstKey(const char* by, const QString& value) const;
    void index();

    pugi::xml_document m_doc;
    bool m_loaded = false;
    // Attribute value (UTF-8) -> first row in document order.
    QHash<QByteArray, pugi::xml_node> m_byTask;
    QHash<QByteArray, pugi::xml_node> m_byIndex;
};
