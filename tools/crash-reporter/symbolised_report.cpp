#include "symbolised_report.h"

#include "report_symbolizer.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// At most this many frame lines are looked up; a report is not trusted
// to be short.
constexpr int kMaxFrames = 256;

const QRegularExpression& framePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^#(\\d{1,3}) (0x[0-9a-f]{1,16}) (/.+)\\+0x([0-9a-f]{1,16})$"));
    return pattern;
}

} // namespace

bool needsSymbols(const QString& report)
{
    for (const QString& line : report.split(QLatin1Char('\n'))) {
        if (framePattern().match(line).hasMatch())
            return true;
    }
    return false;
}

QString symbolisedReport(const QString& report, ReportSymbolizer& symbolizer)
{
    QStringList lines = report.split(QLatin1Char('\n'));
    int looked = 0;
    for (QString& line : lines) {
        const QRegularExpressionMatch match = framePattern().match(line);
        if (!match.hasMatch() || ++looked > kMaxFrames)
            continue;
        const bool first = match.captured(1) == QLatin1String("0");
        bool ok = false;
        const quint64 offset = match.captured(4).toULongLong(&ok, 16);
        if (!ok)
            continue;
        QString modulePath = match.captured(3);
        // A library replaced since the program started: the old one is gone.
        modulePath.remove(QRegularExpression(QStringLiteral(" \\(deleted\\)$")));
        const ReportSymbolizer::Location where = symbolizer.locate(modulePath, offset, !first);
        if (where.function.isEmpty() && where.file.isEmpty())
            continue;
        line += QStringLiteral(" in ") + (where.function.isEmpty() ? QStringLiteral("??") : where.function);
        if (!where.file.isEmpty())
            line += QStringLiteral(" at %1:%2").arg(where.file).arg(where.line);
    }
    return lines.join(QLatin1Char('\n'));
}
