#pragma once

#include "write_policy.h"

#include <QString>
#include <QVector>

// The access levels a user chose for their own real devices (dry run, or
// the experimental opt-in), kept per user in a small JSON file:
//   {"devices":[{"vendor":"258A","product":"0029","interface":1,
//     "descriptorSha256":"…","firmware":"0910","access":"experimental"}]}
// A choice holds only for the exact device it was made for: another
// product, interface, report descriptor or firmware is read-only again.
class AccessChoices
{
public:
    static constexpr int kMaxEntries = 100;
    static constexpr qint64 kMaxFileBytes = 64 * 1024;

    // A missing file is no choice at all; a malformed one is refused whole
    // (why says how), and every device stays read-only.
    static AccessChoices load(const QString& path, QString* why = nullptr);
    bool save(const QString& path, QString* why = nullptr) const;

    // Verified devices first, then the user's choice, else read-only.
    AccessLevel levelFor(const DeviceIdentity& device,
                         const QVector<DeviceIdentity>& verified = verifiedDevices()) const;
    // Read-only forgets the device; verified is not the user's to choose.
    bool set(const DeviceIdentity& device, AccessLevel level);

    int size() const { return m_entries.size(); }

private:
    struct Entry
    {
        DeviceIdentity device;
        AccessLevel level = AccessLevel::ReadOnly;
    };
    QVector<Entry> m_entries;
};
