#pragma once

#include <QString>

class FileCache;

// The profile of a device: the first text of the file cache, in path order,
// that parses as XML and whose /Configuration/Conf/Key[@Index=2] has the
// Value deviceKey exactly. "" when there is none, and when cache is null (no
// cache has been handed to the write worker).
QString profileForDevice(const FileCache* cache, const QString& deviceKey);
