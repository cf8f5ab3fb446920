#pragma once

#include <QHash>
#include <QString>

// Key names to HID codes, read from the Define document. The software
// remapping turns the key names of its configuration into the codes it
// sends to the virtual keyboard and mouse through this table.
class KeyValueTable
{
public:
    static QString defaultPath();

    // Replaces the table with the rows of the document at path: each child
    // of the root `keyboard` maps its upper-cased `value` to its `hidCode`
    // (a later row with the same value wins). Fails only when the file
    // cannot be opened; a document that does not parse leaves the table
    // empty.
    bool load(const QString& path = defaultPath());

    // The hidCode for key, compared exactly and case-sensitively (keys are
    // stored upper-cased); "" when absent.
    QString hidCode(const QString& key) const;

    int size() const;
    bool isEmpty() const;

private:
    QHash<QString, QString> m_codes;
};
