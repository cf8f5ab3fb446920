#include "write_policy.h"

Decision decide(AccessLevel level, RealFamily family, Operation operation)
{
    if (operation == Operation::BootLoader || operation == Operation::FactoryReset)
        return Decision::Refuse;
    if (family == RealFamily::ListOnly || level == AccessLevel::ReadOnly)
        return Decision::Refuse;
    if (level == AccessLevel::DryRun)
        return Decision::DryRun;
    if (level == AccessLevel::Verified)
        return Decision::Send;
    // Experimental: only Family A's reading queries leave the program.
    if (family == RealFamily::FamilyA && operation == Operation::Query)
        return Decision::Send;
    return Decision::DryRun;
}

QString accessName(AccessLevel level)
{
    switch (level) {
    case AccessLevel::ReadOnly: return QStringLiteral("read-only");
    case AccessLevel::DryRun: return QStringLiteral("dry-run");
    case AccessLevel::Experimental: return QStringLiteral("experimental");
    case AccessLevel::Verified: return QStringLiteral("verified");
    }
    return QStringLiteral("read-only");
}

bool parseAccessName(const QString& text, AccessLevel* level)
{
    for (AccessLevel candidate :
         {AccessLevel::ReadOnly, AccessLevel::DryRun, AccessLevel::Experimental, AccessLevel::Verified}) {
        if (text == accessName(candidate)) {
            *level = candidate;
            return true;
        }
    }
    return false;
}

const QVector<DeviceIdentity>& verifiedDevices()
{
    static const QVector<DeviceIdentity> none;
    return none;
}
