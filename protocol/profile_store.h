#pragma once

#include <QString>

class ProfileSource;

// The profile of a device: the first text of the source, in path order,
// that parses as XML and whose /Configuration/Conf/Key[@Index=2] has the
// Value deviceKey exactly. "" when there is none, and when source is null
// (none has been handed to the write worker).
QString profileForDevice(const ProfileSource* source, const QString& deviceKey);
