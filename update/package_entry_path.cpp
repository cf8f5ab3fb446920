#include "package_entry_path.h"

#include <QStringList>

namespace PackageEntryPath {

bool normalize(const QString &name, QString *relative, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("file name \"%1\" refused: %2").arg(name, why);
        return false;
    };
    if (name.startsWith(QLatin1Char('/')))
        return fail(QStringLiteral("absolute path"));
    if (name.contains(QLatin1Char('\\')))
        return fail(QStringLiteral("backslash in name"));
    if (name.contains(QChar(0)))
        return fail(QStringLiteral("NUL character in name"));
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return fail(QStringLiteral("drive prefix"));

    QStringList kept;
    const QStringList segments = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &segment : segments) {
        if (segment == QLatin1String("."))
            continue;
        if (segment == QLatin1String(".."))
            return fail(QStringLiteral("\"..\" segment"));
        // Qt takes a path that starts with ':' for one of its resources.
        if (segment.startsWith(QLatin1Char(':')))
            return fail(QStringLiteral("segment starting with ':'"));
        kept.append(segment);
    }
    if (kept.isEmpty())
        return fail(QStringLiteral("no file name"));
    if (relative)
        *relative = kept.join(QLatin1Char('/'));
    return true;
}

} // namespace PackageEntryPath
