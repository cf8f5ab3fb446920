#include "package_trust_log.h"

#include <QMutex>
#include <QVector>

namespace {

constexpr int kMaxRecords = 64;

struct Log {
    QMutex mutex;
    QVector<QPair<QString, PackageVerdict>> entries;  // oldest first
};

Log &log()
{
    static Log instance;
    return instance;
}

} // namespace

namespace PackageTrustLog {

void record(const QString &origin, const PackageVerdict &verdict)
{
    if (origin.isEmpty())
        return;
    Log &l = log();
    QMutexLocker lock(&l.mutex);
    for (int i = 0; i < l.entries.size(); ++i) {
        if (l.entries.at(i).first == origin) {
            l.entries.removeAt(i);
            break;
        }
    }
    l.entries.append({origin, verdict});
    while (l.entries.size() > kMaxRecords)
        l.entries.removeFirst();
}

std::optional<PackageVerdict> find(const QString &origin)
{
    Log &l = log();
    QMutexLocker lock(&l.mutex);
    for (const auto &entry : qAsConst(l.entries)) {
        if (entry.first == origin)
            return entry.second;
    }
    return std::nullopt;
}

void clear()
{
    Log &l = log();
    QMutexLocker lock(&l.mutex);
    l.entries.clear();
}

} // namespace PackageTrustLog
