#pragma once

#include "package_signature.h"
#include "package_unpacker.h"

#include <QStringList>

// The rule for every package that came from the network ("DownloadFile",
// "UpdateFirmware", "UnPackFile", the updater): it is installed only when
// a trusted key signed it, checked before anything is written. The verdict
// is logged and kept for the pages under each of the package's origins
// (its address, its path). The images of a trusted package may be flashed
// afterwards (VerifiedImages). Packages shipped with the program itself
// (the start-up pages) are not checked: they are trusted as installed.
//
// A developer build may accept unsigned packages (the CMake option
// ORVANTA_ALLOW_UNSIGNED_UPDATES, off by default); a package whose
// signature block does not verify is refused there too.
class NetworkPackageCheck : public PackageCheck
{
public:
    explicit NetworkPackageCheck(const QStringList &origins);

    bool admit(int fd, qint64 size, QByteArray *tailHash, QString *why) override;
    void installed(const QStringList &paths) override;

    const PackageVerdict &verdict() const { return m_verdict; }

    // Whether this build accepts unsigned packages.
    static bool unsignedAllowed();
    // Whether a package of this verdict is installed: trusted, or unsigned
    // where this build accepts that.
    static bool installable(const PackageVerdict &verdict);
    // Says in the log, once at start, when this build accepts unsigned
    // packages.
    static void logBuildPolicy();

protected:
    // A further rule for a trusted package (the updater's release order).
    virtual bool acceptTrusted(const PackageVerdict &verdict, QString *why);

private:
    void keep(const PackageVerdict &verdict);

    QStringList m_origins;
    PackageVerdict m_verdict;
};
