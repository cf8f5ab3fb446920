#pragma once

#include <QHash>
#include <QString>

class ProfileSource;

// The profile of a device: the first text of the source, in path order,
// that parses as XML and whose /Configuration/Conf/Key[@Index=2] has the
// Value deviceKey exactly. "" when there is none, and when source is null
// (none has been handed to the write worker).
QString profileForDevice(const ProfileSource* source, const QString& deviceKey);

// The same, remembering the device key each text names while the text
// stays as it is, so that a profile is parsed once, not at every write.
class ProfileFinder
{
public:
    QString profileFor(const ProfileSource* source, const QString& deviceKey);

private:
    struct Known {
        QString text;
        QString deviceKey;  // "" when the text does not parse or names none
    };
    QHash<QString, Known> m_known;  // by path
};
