#include "release_order_check.h"

ReleaseOrderCheck::ReleaseOrderCheck(const QStringList &origins, const QString &sequenceFile)
    : NetworkPackageCheck(origins)
    , m_sequences(sequenceFile)
{
}

bool ReleaseOrderCheck::acceptTrusted(const PackageVerdict &verdict, QString *why)
{
    const quint64 installed = m_sequences.highest(QString::fromLatin1(kChannel));
    if (verdict.sequence >= installed)
        return true;
    if (why)
        *why = QStringLiteral("release %1 is older than release %2 installed before (a rollback)")
                   .arg(verdict.sequence)
                   .arg(installed);
    return false;
}

bool ReleaseOrderCheck::keepInstalledRelease(QString *why)
{
    if (!verdict().trusted())
        return true;
    return m_sequences.raise(QString::fromLatin1(kChannel), verdict().sequence, why);
}
