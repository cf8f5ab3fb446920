#pragma once

// Writing the fields of a device-block record (transport_entry_points.h):
// what every transport library does when it lists its devices. Shared by
// the emulator and the hidraw transport, header-only like the interface.

#include "transport_entry_points.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstring>

namespace transport {

// Latin-1 text into a field of `capacity` bytes (cut to fit; the record is
// zero-filled, so a shorter text ends there).
inline void putLatin1(unsigned char *field, int capacity, const QString &text)
{
    const QByteArray latin = text.toLatin1();
    std::memcpy(field, latin.constData(), static_cast<std::size_t>(qMin(capacity, latin.size())));
}

// UTF-16 text into a path or instance-id field, cut so that its NUL always
// fits.
inline void putUtf16(unsigned char *field, const QString &text)
{
    const int units = qMin(text.size(), kRecordTextBytes / 2 - 1);
    std::memcpy(field, text.utf16(), static_cast<std::size_t>(units) * sizeof(char16_t));
}

inline void putU32(unsigned char *field, std::uint32_t value)
{
    std::memcpy(field, &value, sizeof value);
}

// The instance id that belongs to a HID path: without the "\\?\" prefix and
// the class GUID, "#" turned into "\", upper case.
inline QString instanceIdFromPath(QString id)
{
    if (id.startsWith(QLatin1String("\\\\?\\")))
        id = id.mid(4);
    const int guid = id.lastIndexOf(QLatin1String("#{"));
    if (guid >= 0)
        id.truncate(guid);
    id.replace(QLatin1Char('#'), QLatin1Char('\\'));
    return id.toUpper();
}

} // namespace transport
