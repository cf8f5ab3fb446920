#include "network_package_check.h"

#include "logging.h"
#include "package_trust_log.h"
#include "verified_images.h"

NetworkPackageCheck::NetworkPackageCheck(const QStringList &origins) : m_origins(origins)
{
    m_origins.removeAll(QString());
}

bool NetworkPackageCheck::unsignedAllowed()
{
#ifdef ORVANTA_ALLOW_UNSIGNED_UPDATES
    return true;
#else
    return false;
#endif
}

bool NetworkPackageCheck::installable(const PackageVerdict &verdict)
{
    return verdict.trusted() || (verdict.kind == PackageVerdict::Unsigned && unsignedAllowed());
}

void NetworkPackageCheck::logBuildPolicy()
{
    if (unsignedAllowed())
        LOG_WARNING(QStringLiteral("Update Info: this is a developer build: it installs unsigned update packages"
                                   " from the network"));
}

bool NetworkPackageCheck::acceptTrusted(const PackageVerdict &, QString *)
{
    return true;
}

void NetworkPackageCheck::keep(const PackageVerdict &verdict)
{
    m_verdict = verdict;
    for (const QString &origin : qAsConst(m_origins))
        PackageTrustLog::record(origin, verdict);
}

bool NetworkPackageCheck::admit(int fd, qint64 size, QByteArray *tailHash, QString *why)
{
    QStringList problems;
    const UpdateKeys keys = UpdateKeys::trusted(&problems);
    for (const QString &problem : qAsConst(problems))
        LOG_WARNING(QStringLiteral("Update Error: %1").arg(problem));
    PackageVerdict verdict = PackageSignature::verifyFile(fd, size, keys);
    const QString name = m_origins.isEmpty() ? QStringLiteral("package") : m_origins.first();
    QString rule;
    if (verdict.trusted() && !acceptTrusted(verdict, &rule)) {
        verdict.kind = PackageVerdict::Refused;
        verdict.reason = rule;
    }
    keep(verdict);
    switch (verdict.kind) {
    case PackageVerdict::Trusted:
        LOG_INFO(QStringLiteral("Update Info: %1 is signed by %2 (release %3)")
                     .arg(Logger::clipped(name), verdict.signer)
                     .arg(verdict.sequence));
        break;
    case PackageVerdict::Unsigned:
        if (unsignedAllowed()) {
            LOG_WARNING(QStringLiteral("Update Info: %1 is not signed; this developer build installs it all the same")
                            .arg(Logger::clipped(name)));
            break;
        }
        Q_FALLTHROUGH();
    case PackageVerdict::Refused:
        LOG_ERROR(QStringLiteral("Update Error: %1 refused: %2").arg(Logger::clipped(name), verdict.reason));
        if (why)
            *why = QStringLiteral("refused: %1").arg(verdict.reason);
        return false;
    }
    if (tailHash)
        *tailHash = verdict.tailHash;
    return true;
}

void NetworkPackageCheck::installed(const QStringList &paths)
{
    VerifiedImages::recordInstalled(paths);
}
