#pragma once

#include "package_signature.h"

#include <QString>

#include <optional>

// The latest signature verdicts, by where the package came from (its
// address, or its path), so the pages can say who signed what they
// installed, or why it was refused. In memory, the last few dozen;
// thread-safe.
namespace PackageTrustLog {

void record(const QString &origin, const PackageVerdict &verdict);
std::optional<PackageVerdict> find(const QString &origin);
void clear();

} // namespace PackageTrustLog
