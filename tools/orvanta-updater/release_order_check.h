#pragma once

#include "network_package_check.h"
#include "sequence_store.h"

// The updater's rule on top of the signature: a client package whose
// release sequence is lower than that of the release installed last is an
// old release served again (a rollback) and is refused. The sequence of
// the installed release is kept on the channel kChannel.
class ReleaseOrderCheck : public NetworkPackageCheck
{
public:
    static constexpr const char *kChannel = "client";

    ReleaseOrderCheck(const QStringList &origins, const QString &sequenceFile);

    // Keeps the admitted package's sequence once it is installed.
    bool keepInstalledRelease(QString *why);

protected:
    bool acceptTrusted(const PackageVerdict &verdict, QString *why) override;

private:
    SequenceStore m_sequences;
};
