#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// The Driver definitions known to the program, by the Version text each
// document names in its root element. The registry keeps the whole document
// text; a document is parsed only when a request selects it.
class DriverRegistry
{
public:
    // Reads the document at path (a file or a ":/" resource) and stores its
    // text under the Version attribute of its /Driver root. A document with
    // the Version of an earlier one replaces it. Returns false, and changes
    // nothing, when the file cannot be opened, does not parse, or names no
    // Version.
    bool registerDriver(const QString& path);

    // The stored text for version; empty when none is registered.
    QByteArray text(const QString& version) const;

    bool contains(const QString& version) const;

    // The registered Version texts, sorted.
    QStringList versions() const;

private:
    QMap<QString, QByteArray> m_texts;
};
