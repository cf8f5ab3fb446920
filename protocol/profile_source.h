#pragma once

#include <QMap>
#include <QString>

// Where the write worker looks for device profiles: the texts of the files
// the pages have read, by path. The command bridge's file cache is one. The
// write worker reads it from its own thread, so an implementation must allow
// that.
class ProfileSource
{
public:
    virtual ~ProfileSource() = default;

    // Every (path, text) pair, in path order.
    virtual QMap<QString, QString> entries() const = 0;
};
